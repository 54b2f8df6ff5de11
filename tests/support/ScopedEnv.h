// Environment variables and folders that a test changes for itself and puts back afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#ifdef _WIN32
// The Windows C runtime has no setenv: _putenv_s sets, and with an empty value removes.
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

// Sets or clears an environment variable for one test and puts the old value back afterwards.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~CScopedEnv() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Points the user's data folder (the universe library's home) at dir for one test: the variable
// each system reads it from ($XDG_DATA_HOME on POSIX, %APPDATA% on Windows).
class CScopedDataHome {
public:
    explicit CScopedDataHome(const std::filesystem::path& dir)
        : m_xdg("XDG_DATA_HOME", dir.string().c_str()), m_appData("APPDATA", dir.string().c_str())
    {
    }

private:
    CScopedEnv m_xdg, m_appData;
};

// A fresh folder under the system's temporary folder, removed with everything in it afterwards;
// the current directory is put back too, for tests that change it.
class CTempFolder {
public:
    explicit CTempFolder(const std::string& prefix)
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
        m_cwd = std::filesystem::current_path();
    }
    ~CTempFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(m_cwd, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_cwd;
};
