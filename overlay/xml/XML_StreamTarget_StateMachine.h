#pragma once

#include "XML_StreamTarget.h"

#include <string>
#include <vector>

// Base of the readers that turn the event stream into program objects. Each
// open element has an integer state, chosen by onBeginElement from the state
// of its parent; state 0 means the element and everything inside it are
// ignored, so unknown elements are skipped with their whole content without
// the derived reader seeing any of it.
//
// Character data is collected in one buffer: the first text after a tag
// replaces it, further text (split by a processing instruction, say) is
// appended. currentText() called from onEndElement therefore yields the
// content of a leaf element.
class XML_StreamTarget_StateMachine : public XML_StreamTarget {
public:
    // Raises XML_Error('?') when no element is open.
    void attribute(std::string_view name) override;
    void startDocument() override;
    void beginElement(std::string_view name) override;
    void text(std::string_view chars) override;
    // Raises XML_Error('?') when no element is open.
    void endElement() override;
    // True only if checkBalanced is set and no element is left open.
    bool close(bool checkBalanced) override;

    // The new element's state; `state` is its parent's (0 for the root).
    virtual int onBeginElement(int state, std::string_view name);
    virtual void onAttribute(int state, std::string_view name);
    virtual void onEndElement(int state, int parentState);

    // The character data that followed the most recent tag (empty when a tag
    // came after it).
    const std::string& currentText();
    // Number of open elements.
    std::size_t depth() const { return m_states.size(); }

private:
    std::vector<int> m_states;
    std::string m_text;
    bool m_tagPassed = true;
};
