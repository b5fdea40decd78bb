#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the about box needs of the operating system to start the system
// information viewer: registry values under the local-machine root, a file
// test and a program start. Plain C++; the Windows branch binds the registry
// functions of advapi32 by name at first use.
class SystemInfoHost {
public:
    struct RegistryValue {
        std::uint32_t type = 0; // 1: string, 4: 32-bit number
        std::vector<std::uint8_t> data;
    };
    virtual ~SystemInfoHost() = default;
    // The value `name` of `key` under the local-machine root, read into a
    // buffer of 1024 bytes; nothing when the key cannot be opened for reading
    // or has no such value. The key is closed in every case.
    virtual std::optional<RegistryValue> queryValue(const std::string& key,
                                                    const std::string& name) = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Starts the program with a normal window; false when it cannot be started.
    virtual bool startProgram(const std::string& path) = 0;
};

// The value as text: a string without its terminating zero; a 32-bit number
// as its decimal digits; empty for other types.
std::string registryValueText(const SystemInfoHost::RegistryValue& value);

// Reads a value as text; empty when there is none.
std::string registryText(SystemInfoHost& host, const std::string& key, const std::string& name);

// Starts the system information viewer: the program named by MSINFO's PATH
// value, or else MSINFO32.EXE in the folder the shared tools' MSINFO value
// names, when it exists. False when neither could be started.
bool startSystemInfo(SystemInfoHost& host);

// The operating system's: the registry and program start on Windows; elsewhere
// a host with no registry, so no viewer is ever found.
SystemInfoHost& platformSystemInfo();
