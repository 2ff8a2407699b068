#pragma once

// Where the running instance is reached on the session bus. Plain constants, so the launcher can
// use them without Qt.
namespace Platform::BusNames {

inline constexpr const char* service = "dev.corvinel.quillstack";
inline constexpr const char* objectPath = "/dev/corvinel/quillstack";
inline constexpr const char* interface = "dev.corvinel.quillstack";

} // namespace Platform::BusNames
