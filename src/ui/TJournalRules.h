#pragma once
// Rules of the journal views and the player that need no widgets.
#include "common/TDateTime.h"
#include <QString>
#include <cstdint>

namespace TJournalRules {

// True when the time of day of Time lies strictly between StartNight and EndNight;
// a StartNight later than EndNight runs over midnight.
bool IsNightTime(TDateTime Time, TDateTime StartNight, TDateTime EndNight);

// The player's remaining time, length minus position cut to whole seconds, as
// "H:mm:ss" (hours unbounded, minutes and seconds 0..59); a negative rest is 0.
QString RestTimeText(int64_t LengthMs, int64_t PositionMs);

}
