// The probation of a new version: it has started when it still runs 10 s after its start, or
// ended by itself with exit code 0 within them; any other end within them (another exit code,
// an unhandled exception) or no start at all means it cannot start.
#pragma once

namespace updater {

enum class Verdict { Started, CannotStart, GivenUp };

// Starts the executable and watches it through its probation; GivenUp as soon as the
// probation's phase says so (the user left, the session ends). Traces why it cannot start.
Verdict WatchNewVersion(const char* executable);

}  // namespace updater
