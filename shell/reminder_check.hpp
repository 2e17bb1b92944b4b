// Whether to show the reminder screen: once, more than 30 days after the
// installation marker was created.
#pragma once

#include <filesystem>
#include <functional>

#include "platform/file_times.hpp"

namespace tulvo::shell {

inline const std::filesystem::path kInstallMarker =
    std::filesystem::path("data") / "install complete.txt";
inline const std::filesystem::path kReminderDone = std::filesystem::path("data") / "kestrine.txt";
inline const std::filesystem::path kReminderProgram = std::filesystem::path("data") / "kestrine";

// Whole days from `created` to `now` as the check counts them (seconds to
// the nearest, then days to the nearest, halves to even); -1 when `now` is
// not after `created`.
long elapsedDays(FileClock::time_point created, FileClock::time_point now);

// Runs the check in `programDirectory`. `runAndWait` starts the reminder
// program and waits for it to end.
void reminderCheck(const std::filesystem::path& programDirectory, FileClock::time_point now,
                   const std::function<void(const std::filesystem::path&)>& runAndWait);

}  // namespace tulvo::shell
