#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Receiver of a stream of XML events. Writers, readers that build program
// objects and converters between dialects are all targets, so writing,
// reading and converting are compositions of targets. The handlers of this
// base do nothing.
//
// An attribute's value does not travel as an argument: the producer stores it
// in the target (writeAttribute) and the target reads it back through the
// value accessors in whatever form it needs. Conversions are made on first
// use and cached, so a writer that asks for text and a reader that asks for a
// number each pay for their own conversion once.
class XML_StreamTarget {
public:
    // Kind of the stored value (low two bits of valueState()).
    enum ValueKind : std::uint8_t { KindNone = 0, KindString = 1, KindInteger = 2, KindDouble = 3 };
    // Which forms of the value are valid (the bits above the kind).
    static constexpr std::uint8_t StringValid = 4;
    static constexpr std::uint8_t IntegerValid = 8;
    static constexpr std::uint8_t DoubleValid = 16;

    XML_StreamTarget() = default;
    XML_StreamTarget(const XML_StreamTarget&) = delete;
    XML_StreamTarget& operator=(const XML_StreamTarget&) = delete;

    // An attribute of the element just begun; its value is read through the
    // accessors below.
    virtual void attribute(std::string_view name);
    // Called once by the parser before the first event.
    virtual void startDocument();
    virtual void beginElement(std::string_view name);
    // Character data between tags, entity references already resolved.
    virtual void text(std::string_view chars);
    virtual void endElement();
    // End of the stream. The base returns its argument.
    virtual bool close(bool checkBalanced);
    virtual ~XML_StreamTarget();

    // Producer side: store the value, then call attribute(name).
    void writeAttribute(std::string_view name, std::string_view value);
    void writeAttribute(std::string_view name, int value);
    void writeAttribute(std::string_view name, double value);
    // Without this a string literal would be ambiguous between the overloads.
    void writeAttribute(std::string_view name, const char* value) {
        writeAttribute(name, value ? std::string_view(value) : std::string_view());
    }

    // Consumer side. Integers are formatted as "%d", doubles as "%f" (six
    // decimals), always with a decimal point whatever the process locale.
    const std::string& valueAsString();
    // Text is read like sscanf "%d" (leading blanks, sign, digits, anything
    // after is ignored); a double is truncated toward zero. A value that gives
    // no number, or none that fits 32 bits, yields defaultValue and caches
    // nothing.
    int valueAsInt(int defaultValue);
    // Text is read like sscanf "%lf"; on failure defaultValue, nothing cached.
    double valueAsDouble(double defaultValue);

    ValueKind valueKind() const { return static_cast<ValueKind>(m_valueState & 3); }
    // Kind and form bits together: 5, 10 or 19 right after writeAttribute.
    std::uint8_t valueState() const { return m_valueState; }

private:
    std::uint8_t m_valueState = KindNone;
    std::string m_string;
    std::int32_t m_integer = 0;
    double m_double = 0.0;
};
