#include "Playback.h"

#include "NmeaParser.h"

#include <cstring>

bool Playback::readLine(std::FILE* file, char (&buffer)[256]) {
    if (!std::fgets(buffer, sizeof(buffer), file))
        return false;
    std::size_t length = std::strlen(buffer);
    if (length > 0 && buffer[length - 1] == '\n')
        buffer[--length] = 0;
    if (length > 0 && buffer[length - 1] == '\r')
        buffer[--length] = 0;
    return true;
}

bool Playback::readNextAccepted(std::int32_t flags, Record& target) {
    char line[256];
    while (readLine(m_file, line)) {
        // fgets stops at a zero byte only in the sense that strlen does, so a
        // binary file cannot make this read past the buffer.
        if (NmeaParser::parseSentence(std::string_view(line, std::strlen(line)), flags, target))
            return true;
    }
    return false;
}

Playback::Start Playback::start(std::FILE* file, std::int32_t flags, std::int64_t now, Record& current, bool& notify) {
    stop();
    m_file = file;
    notify = false;
    if (!readNextAccepted(flags, current)) {
        stop();
        return Start::NoData;
    }
    m_offset = std::int64_t(current.timeMs) - now * m_speed;
    notify = current.quality > 0;
    m_lookAhead = current;
    if (!readNextAccepted(flags, m_lookAhead)) {
        stop();
        return Start::Finished;
    }
    return Start::Playing;
}

bool Playback::tick(std::int64_t now, std::int32_t flags, Record& current) {
    bool delivered = false;
    while (running() && (std::int64_t(m_lookAhead.timeMs) - m_offset) / m_speed < now) {
        if (m_lookAhead.quality > 0) {
            current = m_lookAhead;
            delivered = true;
        }
        if (!readNextAccepted(flags, m_lookAhead))
            stop();
    }
    return delivered;
}

void Playback::setSpeed(int factor, std::int64_t now) {
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8)
        return;
    if (running()) {
        // A record is due once its time is below now × speed + offset, the
        // playback position. Keeping that position continuous at `now` is
        // what anchoring at the last delivered record does when the change
        // comes right at a delivery; anchoring there later in a gap would
        // jump ahead on a faster pace and release several records at once.
        m_offset += now * (m_speed - factor);
    }
    m_speed = factor;
}

void Playback::stop() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}
