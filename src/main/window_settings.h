// The main window's place, size and chosen profile in "Velnor.xml", section
// "/Window": keys Left, Top, Width, Height (integers, outer rectangle in
// screen pixels) and SSID (the profile name).
#pragma once

#include <cstdint>
#include <string>

#include "orvo/placement.h"

namespace velnor {

inline constexpr std::int32_t kMainMinWidth = 350;
inline constexpr std::int32_t kMainMinHeight = 300;

// What the read sequence needs of the window: its current bounds, and setters
// that move it at once.
class WindowGeometry {
public:
    virtual ~WindowGeometry() = default;
    virtual Bounds Current() const = 0;
    virtual void SetTop(std::int32_t top) = 0;
    virtual void SetLeft(std::int32_t left) = 0;
    virtual void SetWidth(std::int32_t width) = 0;
    virtual void SetHeight(std::int32_t height) = 0;
};

std::wstring SettingsFile(const std::wstring& dataFolder);

// Applies Top, Left, Width (at least 350), Height (at least 300) and SSID, in
// that order, each defaulting to the current value. An error in the geometry
// ends the geometry, the values applied before it staying; SSID is read all
// the same, and then the error is raised. Nothing is written. `fileRead`, when
// given, tells whether the file itself could be read: an error raised after
// that is a bad stored value.
void ReadWindowSettings(const std::wstring& file, WindowGeometry& window, std::wstring& name,
                        bool* fileRead = nullptr);

// Writes Left, Top, Width, Height and SSID, then the file. On an error the
// file keeps its earlier content. A null `bounds` or `name` leaves the stored
// values as they are: a run that could not read them has nothing of its own
// to put in their place.
void WriteWindowSettings(const std::wstring& file, const Bounds* bounds, const std::wstring* name);
inline void WriteWindowSettings(const std::wstring& file, const Bounds& bounds, const std::wstring* name) {
    WriteWindowSettings(file, &bounds, name);
}
inline void WriteWindowSettings(const std::wstring& file, const Bounds& bounds, const std::wstring& name) {
    WriteWindowSettings(file, &bounds, &name);
}

}  // namespace velnor
