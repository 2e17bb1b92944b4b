#include "shell/reminder_check.hpp"

#include <cmath>
#include <fstream>

#include "platform/app_paths.hpp"

namespace tulvo::shell {

long elapsedDays(FileClock::time_point created, FileClock::time_point now) {
    // File times count 100-nanosecond units.
    const auto units =
        std::chrono::duration_cast<std::chrono::duration<long long, std::ratio<1, 10000000>>>(
            now - created)
            .count();
    if (units <= 0) return -1;
    const double seconds = std::nearbyint(static_cast<double>(units) / 10000000.0);
    return static_cast<long>(std::nearbyint(seconds / 3600.0 / 24.0));
}

void reminderCheck(const std::filesystem::path& dir, FileClock::time_point now,
                   const std::function<void(const std::filesystem::path&)>& runAndWait) {
    // The markers are this user's: installed, the 30 days count from the
    // user's first start rather than from the installation.
    const platform::AppPaths paths(dir);
    const auto done = paths.userFile(kReminderDone.filename().string());
    std::error_code ec;
    if (std::filesystem::exists(done, ec)) return;
    const auto marker = paths.userFile(kInstallMarker.filename().string());
    if (!std::filesystem::exists(marker, ec)) std::ofstream(marker, std::ios::binary);
    const auto created = fileCreationTime(marker);
    if (!created) return;
    const long days = elapsedDays(*created, now);
    if (days <= 30 || !std::filesystem::exists(dir / kReminderProgram, ec)) return;
    runAndWait(dir / kReminderProgram);
    std::ofstream(done, std::ios::binary | std::ios::trunc) << "Thanks for using Tulvo!";
}

}  // namespace tulvo::shell
