#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Cuts the received byte stream into lines: a carriage return or a line feed
// ends a line (so CR LF gives an empty line after every sentence), and a
// line keeps its first 127 characters.
class LineAssembler {
public:
    static constexpr std::size_t MaxLine = 127;

    // Calls `onLine(const std::string&)` for every finished line.
    template <class OnLine> void feed(const std::uint8_t* data, std::size_t size, OnLine&& onLine) {
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t byte = data[i];
            if (byte == 13 || byte == 10) {
                // One string kept for all lines: its storage is reused, so a
                // line costs no allocation.
                m_line.assign(m_buffer, m_length);
                m_length = 0;
                onLine(std::as_const(m_line));
            } else if (m_length < MaxLine) {
                m_buffer[m_length++] = char(byte);
            }
        }
    }
    void reset() { m_length = 0; }

private:
    char m_buffer[MaxLine + 1] = {};
    std::size_t m_length = 0;
    std::string m_line;
};
