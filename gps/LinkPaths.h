#pragma once

#include <string>

// Where the GPS link and its clients meet on this machine.
namespace LinkPaths {

// The private runtime directory: $XDG_RUNTIME_DIR, else /tmp/vistrel-<uid>
// (created with mode 0700 and refused when it belongs to somebody else).
// Empty when no safe directory can be had.
std::string runtimeDir();
std::string socketPath();       // the server's address, "NMEA" in the runtime directory
std::string instanceLockPath(); // held by the running server
std::string clientsDir();       // one locked slot file per attached client

// The configuration directory: $VISTREL_SYSCONFDIR, else $XDG_CONFIG_HOME,
// else ~/.config; and the settings file in it.
std::string configDir();
std::string tolmIniPath();

// Device of port number n (1..9): "[Ports]" key "COMn" of TOLM.INI when it is
// there, else /dev/ttyUSB(n-1).
std::string portDevice(int number);

} // namespace LinkPaths
