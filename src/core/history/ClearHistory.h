// Clearing browsing history on the user's request: the last hour, today, or
// every day file.
#pragma once

#include <string>

#include "core/app/Dates.h"

enum class ClearPeriod { LastHour = 0, Today = 1, Everything = 2 };

// The last hour rewrites today's file crash-safely without the records first
// visited in that hour, keeping the others byte for byte; today deletes
// today's file; everything deletes every day file. Only files with the exact
// day-file name shape are touched. False when a file could not be changed.
bool ClearHistory(const std::string& historyDir, ClearPeriod period, const LocalDateTime& now);

// The seconds a period reaches back from `now` (0: all time), for the
// engine's site data.
long long ClearPeriodSeconds(ClearPeriod period, const LocalDateTime& now);
