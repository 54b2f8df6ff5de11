// Settings kept between runs: a JSON file under $XDG_CONFIG_HOME/nimbula/ (default ~/.config/nimbula/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CRegistryKey {
public:
    // root selects the product key; 1 is the one the program uses.
    explicit CRegistryKey(int root = 1);

    // The settings file this key reads and writes.
    static std::string SettingsPath();

    // A value under a group of the product key; throws CQLException when it is missing.
    std::string GetConfigurationString(const std::string& group, const std::string& name) const;
    void PutConfigurationString(const std::string& group, const std::string& name, const std::string& value);

    // Cookie strings and raw cookies of an application group ("APP").
    // Get* return false when the entry does not exist; Put* throw CQLException when the file cannot be written.
    bool GetCookieString(const std::string& group, const std::string& name, std::string& out) const;
    void PutCookieString(const std::string& group, const std::string& name, const std::string& value);
    bool GetCookieRaw(const std::string& group, const std::string& name, std::vector<uint8_t>& out) const;
    void PutCookieRaw(const std::string& group, const std::string& name, const std::vector<uint8_t>& value);

private:
    int m_root;
};
