#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quaro {

// Remembers that a model file was found good: its SHA-1 together with the
// size and modification time the file had when it was checked, in a small
// record beside it ("<model>.sha1"). Hashing a model takes a good part of a
// second; a record that still matches the file spares it, and any change to
// the file (its size or its time) makes the next use check it again.
class ModelCheck {
public:
    explicit ModelCheck(std::filesystem::path model);

    // True when the record says the file, as it is now, has `sha1`.
    bool recorded(const std::string& sha1) const;
    // Hashes the file; when it has `sha1`, records that and returns true.
    bool verify(const std::string& sha1) const;
    // Records that the file, as it is now, has `sha1` (just downloaded and
    // checked on the way in).
    void record(const std::string& sha1) const;
    // Removes the file and its record.
    void discard() const;

    const std::filesystem::path& recordPath() const { return m_record; }

    // Lower-case hexadecimal SHA-1 of the file's contents; absent when unreadable.
    static std::optional<std::string> sha1Of(const std::filesystem::path& file);

private:
    std::optional<std::string> stamp() const;

    std::filesystem::path m_model;
    std::filesystem::path m_record;
};

} // namespace quaro
