#include "XML_StreamTarget_StateMachine.h"

#include "XML_Error.h"

void XML_StreamTarget_StateMachine::startDocument() {
    m_states.clear();
}

void XML_StreamTarget_StateMachine::beginElement(std::string_view name) {
    const int parent = m_states.empty() ? 0 : m_states.back();
    const int state = (m_states.empty() || parent != 0) ? onBeginElement(parent, name) : 0;
    m_states.push_back(state);
    m_tagPassed = true;
}

void XML_StreamTarget_StateMachine::attribute(std::string_view name) {
    if (m_states.empty())
        throw XML_Error('?');
    if (m_states.back() != 0)
        onAttribute(m_states.back(), name);
}

void XML_StreamTarget_StateMachine::text(std::string_view chars) {
    if (m_tagPassed) {
        m_text.assign(chars.data(), chars.size());
        m_tagPassed = false;
    } else {
        m_text.append(chars.data(), chars.size());
    }
}

void XML_StreamTarget_StateMachine::endElement() {
    if (m_states.empty())
        throw XML_Error('?');
    const int state = m_states.back();
    m_states.pop_back();
    const int parent = m_states.empty() ? 0 : m_states.back();
    if (state != 0)
        onEndElement(state, parent);
    m_tagPassed = true;
}

bool XML_StreamTarget_StateMachine::close(bool checkBalanced) {
    return checkBalanced && m_states.empty();
}

int XML_StreamTarget_StateMachine::onBeginElement(int, std::string_view) {
    return 0;
}

void XML_StreamTarget_StateMachine::onAttribute(int, std::string_view) {}

void XML_StreamTarget_StateMachine::onEndElement(int, int) {}

const std::string& XML_StreamTarget_StateMachine::currentText() {
    if (m_tagPassed)
        m_text.clear();
    return m_text;
}
