#include "platform/storage/SettingsStore.h"

#include "platform/storage/SettingsFile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace torvane::platform {

namespace {

// The number a text begins with, after leading spaces, as the platform's string reads it.
double leadingNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return true;
}

std::string numberText(const Value& number) {
    if (number.numberType() != NumberType::Double)
        return std::to_string(number.integerValue());
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number.doubleValue());
    return {buffer, result.ptr};
}

} // namespace

// MARK: - The file

std::filesystem::path SettingsStore::defaultPath() {
    std::filesystem::path folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        folder = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::filesystem::path(home) / ".config";
    else
        folder = ".config";
    return folder / "torvane" / "settings.json";
}

SettingsStore::SettingsStore(std::filesystem::path file, Trace& trace)
    : m_path(std::move(file)), m_trace(trace) {
    auto loaded = loadSettingsFile(m_trace, m_path);
    m_values = std::move(loaded.values);
    m_writable = loaded.writable;
}

// MARK: - Reading

Value SettingsStore::objectForKey(std::string_view key) const {
    std::lock_guard lock(m_mutex);
    auto found = m_values.find(key);
    return found == m_values.end() ? Value() : found->second;
}

std::optional<std::string> SettingsStore::stringForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString())
        return value.utf8();
    if (value.isNumber())
        return numberText(value);
    return std::nullopt;
}

double SettingsStore::doubleForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString())
        return leadingNumber(value.utf8());
    return value.isNumber() ? value.doubleValue() : 0.0;
}

std::int64_t SettingsStore::integerForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString())
        return Value::number(leadingNumber(value.utf8())).integerValue();
    return value.integerValue();
}

bool SettingsStore::boolForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString()) {
        std::string text = value.utf8();
        return equalsIgnoringCase(text, "yes") || equalsIgnoringCase(text, "true") ||
               leadingNumber(text) != 0;
    }
    return value.isNumber() && value.boolValue();
}

// MARK: - Writing

void SettingsStore::store(std::string_view key, Value value) {
    std::lock_guard lock(m_mutex);
    if (value)
        m_values.insert_or_assign(std::string(key), std::move(value));
    else
        m_values.erase(std::string(key));
}

void SettingsStore::setObject(std::string_view value, std::string_view key) {
    Value text = Value::stringFromUTF8(value);
    if (!text) {
        m_trace.log("settings: the text for \"" + std::string(key) + "\" is not UTF-8; not stored");
        return;
    }
    m_trace.record("settings.set", {{"key", key}, {"value", value}});
    store(key, std::move(text));
}

void SettingsStore::setDouble(double value, std::string_view key) {
    if (!std::isfinite(value)) {
        m_trace.log("settings: the number for \"" + std::string(key) + "\" is not finite; not stored");
        return;
    }
    m_trace.record("settings.set", {{"key", key}, {"value", value}});
    store(key, Value::number(value));
}

void SettingsStore::setInteger(std::int64_t value, std::string_view key) {
    m_trace.record("settings.set", {{"key", key}, {"value", double(value)}});
    store(key, Value::integer(value));
}

void SettingsStore::setBool(bool value, std::string_view key) {
    m_trace.record("settings.set", {{"key", key}, {"value", value}});
    store(key, Value::boolean(value));
}

void SettingsStore::removeObject(std::string_view key) {
    m_trace.record("settings.set", {{"key", key}, {"value", TraceField::Null{}}});
    store(key, Value());
}

bool SettingsStore::synchronize() {
    m_trace.record("settings.sync");
    std::lock_guard fileLock(m_fileMutex);
    SettingsMap snapshot;
    {
        std::lock_guard lock(m_mutex);
        if (!m_writable) {
            m_trace.log("settings: " + m_path.string() + " was not moved aside; not overwriting it");
            return false;
        }
        snapshot = m_values;
    }
    auto text = serializeSettings(m_trace, snapshot);
    if (!text) {
        m_trace.log("settings: a stored value has no JSON form; " + m_path.string() + " left as it was");
        return false;
    }
    return writeSettingsFile(m_trace, m_path, *text);
}

} // namespace torvane::platform
