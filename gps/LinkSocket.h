#pragma once

#include <string>

// Connecting to the GPS link server's Unix-domain socket.
namespace LinkSocket {

// Connects to the server at `path`; the peer must run as this user. Returns
// a blocking, close-on-exec socket, or -1 when no server answers.
int connectServer(const std::string& path);

// The uid of the process at the other end of a connected socket, or -1.
long peerUid(int fd);

// Writes all bytes (retrying on interruption); false on failure.
bool writeAll(int fd, const void* data, std::size_t size);
// Reads exactly `size` bytes, waiting at most `timeoutMs` for each piece
// (negative: no limit); false on end of stream, error or timeout.
bool readExact(int fd, void* data, std::size_t size, int timeoutMs);

} // namespace LinkSocket
