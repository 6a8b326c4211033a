#include "frame/LongLoad.h"

#include <wx/app.h>
#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/listctrl.h>
#include <wx/utils.h>

#include <set>

#include "platform/Platform.h"

namespace
{
// Shorter loads finish before anyone notices; longer ones keep the window
// painting at this pace.
const long ENGAGE_AFTER_MS = 60;
const long PUMP_EVERY_MS = 8;
int running = 0;
// The windows whose typing goes on (KeepTyping).
std::set<wxObject*> typists;
} // namespace

// Everything the user can do that would start a command is taken as done
// and dropped; painting, sizing, scrolling and pointing go on.
class LongLoad::InputFilter : public wxEventFilter
{
public:
    InputFilter()
    {
        wxEvtHandler::AddFilter(this);
    }
    ~InputFilter() override
    {
        wxEvtHandler::RemoveFilter(this);
    }

    int FilterEvent(wxEvent& event) override
    {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_CLOSE_WINDOW)
        {
            wxCloseEvent& close = static_cast<wxCloseEvent&>(event);
            if (close.CanVeto())
            {
                close.Veto();
                return Event_Processed;
            }
            return Event_Skip;
        }
        static const wxEventType dropped[] = {
            wxEVT_LEFT_DOWN,
            wxEVT_LEFT_UP,
            wxEVT_LEFT_DCLICK,
            wxEVT_MIDDLE_DOWN,
            wxEVT_MIDDLE_UP,
            wxEVT_MIDDLE_DCLICK,
            wxEVT_RIGHT_DOWN,
            wxEVT_RIGHT_UP,
            wxEVT_RIGHT_DCLICK,
            wxEVT_AUX1_DOWN,
            wxEVT_AUX1_UP,
            wxEVT_AUX1_DCLICK,
            wxEVT_AUX2_DOWN,
            wxEVT_AUX2_UP,
            wxEVT_AUX2_DCLICK,
            wxEVT_KEY_DOWN,
            wxEVT_KEY_UP,
            wxEVT_CHAR,
            wxEVT_CHAR_HOOK,
            wxEVT_MENU,
            wxEVT_BUTTON,
            wxEVT_CONTEXT_MENU,
            wxEVT_LIST_ITEM_SELECTED,
            wxEVT_LIST_ITEM_DESELECTED,
            wxEVT_LIST_ITEM_ACTIVATED,
            wxEVT_LIST_ITEM_RIGHT_CLICK,
        };
        // Typing into the find box goes on: it looks for the text once the
        // load is over.
        const bool typing =
            type == wxEVT_KEY_DOWN || type == wxEVT_KEY_UP || type == wxEVT_CHAR || type == wxEVT_CHAR_HOOK;
        if (typing && typists.count(event.GetEventObject()) > 0)
            return Event_Skip;
        for (wxEventType drop : dropped)
        {
            if (type == drop)
                return Event_Ignore;
        }
        return Event_Skip;
    }
};

void LongLoad::KeepTyping(wxWindow* window, bool keep)
{
    if (keep)
        typists.insert(window);
    else
        typists.erase(window);
}

LongLoad::LongLoad(unsigned rowsPerCheck) : rowsPerCheck(rowsPerCheck > 0 ? rowsPerCheck : 1)
{
    ++running;
}

LongLoad::~LongLoad()
{
    filter.reset();
    busy.reset();
    if (--running == 0 && wxTheApp)
        // Work that waited for the load goes on.
        wxWakeUpIdle();
}

bool LongLoad::Running()
{
    return running > 0;
}

void LongLoad::Tick()
{
    if (++rows % rowsPerCheck != 0)
        return;
    const long elapsed = watch.Time();
    if (!filter)
    {
        if (elapsed < ENGAGE_AFTER_MS)
            return;
        busy.reset(new wxBusyCursor());
        filter.reset(new InputFilter());
    }
    if (elapsed - lastPump >= PUMP_EVERY_MS)
    {
        lastPump = elapsed;
        Platform::PumpOneMessage();
    }
}
