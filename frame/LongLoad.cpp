#include "frame/LongLoad.h"

#include <wx/utils.h>

#include "app/Platform.h"

namespace
{
// Shorter loads finish before anyone notices (and without the window
// turning grey for a moment); longer ones keep it painting at this pace.
const long ENGAGE_AFTER_MS = 60;
const long PUMP_EVERY_MS = 8;
// How often the clock is read: rows are cheap, the clock is not.
const unsigned ROWS_PER_CHECK = 64;
} // namespace

LongLoad::LongLoad() = default;

LongLoad::~LongLoad() = default;

void LongLoad::Tick()
{
    if (++rows % ROWS_PER_CHECK != 0)
        return;
    const long elapsed = watch.Time();
    if (!block)
    {
        if (elapsed < ENGAGE_AFTER_MS)
            return;
        busy.reset(new wxBusyCursor());
        block.reset(new BatchInputBlocker());
    }
    if (elapsed - lastPump >= PUMP_EVERY_MS)
    {
        lastPump = elapsed;
        Platform::PumpOneMessage();
    }
}
