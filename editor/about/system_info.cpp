#include "system_info.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
constexpr const char* MsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* MsinfoPathValue = "PATH";
constexpr const char* SharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* SharedToolsValue = "MSINFO";
constexpr const char* MsinfoProgram = "\\MSINFO32.EXE";
constexpr std::uint32_t StringType = 1;
constexpr std::uint32_t NumberType = 4;

#ifdef _WIN32
class WindowsSystemInfo : public SystemInfoHost {
public:
    std::optional<RegistryValue> queryValue(const std::string& key,
                                            const std::string& name) override {
        if (!bind())
            return std::nullopt;
        HKEY handle = nullptr;
        if (open_(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return std::nullopt;
        RegistryValue value;
        value.data.resize(1024);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(value.data.size());
        const LONG status = query_(handle, name.c_str(), nullptr, &type, value.data.data(), &size);
        close_(handle);
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        value.type = type;
        value.data.resize(size);
        return value;
    }
    bool fileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool startProgram(const std::string& path) override {
        std::string commandLine = "\"" + path + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

private:
    using OpenKey = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    using QueryValue = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    using CloseKey = LONG(WINAPI*)(HKEY);

    // The registry functions are looked up by name the first time they are needed.
    bool bind() {
        if (open_ && query_ && close_)
            return true;
        HMODULE library = LoadLibraryA("advapi32.dll");
        if (!library)
            return false;
        open_ = reinterpret_cast<OpenKey>(
            reinterpret_cast<void*>(GetProcAddress(library, "RegOpenKeyExA")));
        query_ = reinterpret_cast<QueryValue>(
            reinterpret_cast<void*>(GetProcAddress(library, "RegQueryValueExA")));
        close_ = reinterpret_cast<CloseKey>(
            reinterpret_cast<void*>(GetProcAddress(library, "RegCloseKey")));
        return open_ && query_ && close_;
    }

    OpenKey open_ = nullptr;
    QueryValue query_ = nullptr;
    CloseKey close_ = nullptr;
};
#else
// No registry here: no viewer is ever found.
class NoRegistrySystemInfo : public SystemInfoHost {
public:
    std::optional<RegistryValue> queryValue(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool fileExists(const std::string&) override { return false; }
    bool startProgram(const std::string&) override { return false; }
};
#endif
} // namespace

std::string registryValueText(const SystemInfoHost::RegistryValue& value) {
    if (value.type == StringType) {
        std::string text(value.data.begin(), value.data.end());
        if (const auto zero = text.find('\0'); zero != std::string::npos)
            text.resize(zero);
        return text;
    }
    if (value.type == NumberType && value.data.size() >= 4) {
        // Little-endian: the last of the four bytes is the most significant.
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | value.data[static_cast<std::size_t>(i)];
        return std::to_string(number);
    }
    return {};
}

std::string registryText(SystemInfoHost& host, const std::string& key, const std::string& name) {
    const auto value = host.queryValue(key, name);
    return value ? registryValueText(*value) : std::string();
}

bool startSystemInfo(SystemInfoHost& host) {
    if (const std::string path = registryText(host, MsinfoKey, MsinfoPathValue); !path.empty())
        return host.startProgram(path);
    if (const std::string folder = registryText(host, SharedToolsKey, SharedToolsValue);
        !folder.empty()) {
        const std::string path = folder + MsinfoProgram;
        if (host.fileExists(path))
            return host.startProgram(path);
    }
    return false;
}

SystemInfoHost& platformSystemInfo() {
#ifdef _WIN32
    static WindowsSystemInfo host;
#else
    static NoRegistrySystemInfo host;
#endif
    return host;
}
