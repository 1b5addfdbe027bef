#pragma once

#include "GpsProtocol.h"

#include <memory>
#include <string>

// The mapped shared position block. Only a block owned by this user is ever
// mapped: one owned by somebody else could be read or planted by them.
class SharedBlock {
public:
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // The server creates the block if it is missing (mode 0600); clients
    // only open an existing one. On failure returns null and a German
    // message in `error`.
    static std::unique_ptr<SharedBlock> create(std::string* error, const char* name = GpsProtocol::SharedBlockName);
    static std::unique_ptr<SharedBlock> openExisting(std::string* error,
                                                     const char* name = GpsProtocol::SharedBlockName);
    static void remove(const char* name = GpsProtocol::SharedBlockName);

    GpsProtocol::SharedPositionBlock* data() const { return m_block; }

    // Writer side of the sequence word: one writer at a time (the server
    // serialises its writers), any number of readers in other processes.
    void writePosition(const GpsProtocol::PositionRecord& record);
    // Copies the position words so that they all belong to one write.
    // Gives up after many attempts against a writer that never finishes
    // (a server that died mid-write) and returns the last copy with false.
    bool readPosition(GpsProtocol::PositionRecord& record) const;

    std::int32_t loadInt(const std::int32_t& field) const;
    void storeInt(std::int32_t& field, std::int32_t value);

private:
    explicit SharedBlock(GpsProtocol::SharedPositionBlock* block) : m_block(block) {}
    static std::unique_ptr<SharedBlock> openBlock(bool create, std::string* error, const char* name);

    GpsProtocol::SharedPositionBlock* m_block;
};
