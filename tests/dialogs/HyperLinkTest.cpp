#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <vector>

#include "dialogs/wxHyperLink.h"
#include "tests/support/GuiTest.h"

namespace
{
// Records what the link would start instead of starting it.
class LauncherRecorder
{
public:
    explicit LauncherRecorder(bool mimeKnown = true)
    {
        wxHyperLink::Launcher fake;
        fake.openCommand = [this, mimeKnown](const wxString& mimeType, const wxString& target)
        {
            mimeTypes.push_back(mimeType);
            return mimeKnown ? "viewer file://" + target : wxString();
        };
        fake.execute = [this](const wxString& command) { commands.push_back(command); };
        fake.browse = [this](const wxString& url, int flags)
        {
            browsed.push_back(url);
            browseFlags.push_back(flags);
        };
        previous = wxHyperLink::SetLauncher(fake);
    }
    ~LauncherRecorder()
    {
        wxHyperLink::SetLauncher(previous);
    }

    std::vector<wxString> mimeTypes;
    std::vector<wxString> commands;
    std::vector<wxString> browsed;
    std::vector<int> browseFlags;

private:
    wxHyperLink::Launcher previous;
};

class HyperLinkTest : public CorvalaGuiTest
{
protected:
    HyperLinkTest()
    {
        frame = new wxFrame(nullptr, wxID_ANY, "host");
        // On a panel: a frame would stretch its only child.
        wxPanel* panel = new wxPanel(frame);
        link = new wxHyperLink(panel, wxID_ANY, "http://www.corvala.example/");
        frame->Show();
    }
    ~HyperLinkTest() override
    {
        frame->Destroy();
        ProcessPending();
    }

    void Send(wxEventType type)
    {
        wxMouseEvent event(type);
        event.SetEventObject(link);
        event.SetId(link->GetId());
        link->GetEventHandler()->ProcessEvent(event);
    }

    wxFrame* frame;
    wxHyperLink* link;
};
} // namespace

TEST_F(HyperLinkTest, IsCreatableByNameAsAControl)
{
    wxObject* made = wxCreateDynamicObject("wxHyperLink");
    ASSERT_NE(made, nullptr) << "wxHyperLink must be registered by name";
    EXPECT_TRUE(made->IsKindOf(wxCLASSINFO(wxControl)));
    delete made;
}

TEST_F(HyperLinkTest, StartsAsAnUnderlinedBlueLinkSizedToItsLabel)
{
    EXPECT_EQ(link->GetForegroundColour(), wxColour("BLUE"));
    EXPECT_EQ(link->GetLinkColour(), wxColour("BLUE"));
    EXPECT_EQ(link->GetHoverColour(), wxColour("RED"));
    EXPECT_EQ(link->GetVisitedColour(), wxColour("PURPLE"));
    EXPECT_TRUE(link->GetFont().GetUnderlined());
    EXPECT_TRUE(link->GetHoverCursor().IsOk());
    EXPECT_FALSE(link->IsVisited());
    EXPECT_TRUE(link->GetURL().empty());

    wxClientDC dc(link);
    dc.SetFont(link->GetFont());
    wxSize extent = dc.GetTextExtent(link->GetLabel());
    EXPECT_EQ(link->GetBestSize(), extent) << "best size is the label's extent in the underlined font";
    EXPECT_EQ(link->GetSize(), extent) << "initial size is the best size";
    EXPECT_GT(extent.x, 0);
}

TEST_F(HyperLinkTest, HoverAndVisitColours)
{
    LauncherRecorder launcher;

    Send(wxEVT_ENTER_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("RED")) << "red under the mouse";
    EXPECT_TRUE(link->GetCursor().IsSameAs(link->GetHoverCursor())) << "hand cursor under the mouse";
    Send(wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("BLUE")) << "back to blue before any visit";
    EXPECT_FALSE(link->GetCursor().IsOk()) << "default cursor again after leaving";

    Send(wxEVT_ENTER_WINDOW);
    Send(wxEVT_LEFT_DOWN);
    EXPECT_TRUE(link->IsVisited());
    EXPECT_EQ(link->GetForegroundColour(), wxColour("PURPLE")) << "purple right after the click";
    Send(wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("PURPLE")) << "stays purple after leaving";
    Send(wxEVT_ENTER_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("RED")) << "a visited link still turns red under the mouse";
    Send(wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("PURPLE"));
}

TEST_F(HyperLinkTest, ColourChangesAfterAVisit)
{
    LauncherRecorder launcher;

    link->SetVisitedColour(*wxGREEN);
    EXPECT_EQ(link->GetForegroundColour(), wxColour("BLUE")) << "visited colour is not shown before a visit";
    link->SetLinkColour(*wxBLACK);
    EXPECT_EQ(link->GetForegroundColour(), *wxBLACK) << "link colour applies at once before a visit";

    Send(wxEVT_LEFT_DOWN);
    EXPECT_EQ(link->GetForegroundColour(), *wxGREEN);
    link->SetLinkColour(*wxCYAN);
    EXPECT_EQ(link->GetForegroundColour(), *wxGREEN) << "link colour change after a visit is not shown";
    EXPECT_EQ(link->GetLinkColour(), *wxCYAN) << "but it is stored";
    link->SetVisitedColour(*wxLIGHT_GREY);
    EXPECT_EQ(link->GetForegroundColour(), *wxLIGHT_GREY) << "visited colour change after a visit is shown";

    link->SetHoverColour(*wxYELLOW);
    EXPECT_EQ(link->GetForegroundColour(), *wxLIGHT_GREY) << "hover colour is only stored";
    Send(wxEVT_ENTER_WINDOW);
    EXPECT_EQ(link->GetForegroundColour(), *wxYELLOW);
}

TEST_F(HyperLinkTest, ClickOpensUrlOrLabelAndDoubleClickOpensTwice)
{
    LauncherRecorder launcher;

    Send(wxEVT_LEFT_DOWN);
    ASSERT_EQ(launcher.commands.size(), 1u);
    EXPECT_EQ(launcher.commands[0], "viewer http://www.corvala.example/") << "the label is opened without a URL";

    link->SetURL("mailto:help@corvala.example");
    Send(wxEVT_LEFT_DOWN);
    Send(wxEVT_LEFT_DCLICK);
    ASSERT_EQ(launcher.commands.size(), 3u) << "press and double click each open the link";
    EXPECT_EQ(launcher.commands[1], "viewer mailto:help@corvala.example");
    EXPECT_EQ(launcher.commands[2], "viewer mailto:help@corvala.example");
    EXPECT_TRUE(launcher.browsed.empty());
}

TEST_F(HyperLinkTest, LabelWithoutKnownPrefixOpensNothing)
{
    LauncherRecorder launcher;
    link->SetLabel("Corvala home page");
    Send(wxEVT_LEFT_DOWN);
    EXPECT_TRUE(link->IsVisited());
    EXPECT_TRUE(launcher.mimeTypes.empty());
    EXPECT_TRUE(launcher.commands.empty());
    EXPECT_TRUE(launcher.browsed.empty());
}

TEST_F(HyperLinkTest, MimeTypeChosenByTargetPrefix)
{
    LauncherRecorder launcher;
    struct Case
    {
        const char* target;
        const char* mimeType; // null: nothing is opened
    } cases[] = {
        {"http://www.corvala.example/", "text/html"},
        {"ftp://ftp.corvala.example/pub", "text/html"},
        {"mailto:help@corvala.example", "message/rfc822"},
        {"file:///tmp/readme.html", nullptr},
        {"https://www.corvala.example/", nullptr},
        {"HTTP://www.corvala.example/", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases)
    {
        launcher.mimeTypes.clear();
        launcher.commands.clear();
        bool opened = wxHyperLink::OpenLink(c.target);
        if (c.mimeType)
        {
            EXPECT_TRUE(opened) << c.target;
            ASSERT_EQ(launcher.mimeTypes.size(), 1u) << c.target;
            EXPECT_EQ(launcher.mimeTypes[0], c.mimeType) << c.target;
            ASSERT_EQ(launcher.commands.size(), 1u) << c.target;
            EXPECT_EQ(launcher.commands[0], wxString("viewer ") + c.target)
                << "file:// is removed from the command for " << c.target;
        }
        else
        {
            EXPECT_FALSE(opened) << c.target;
            EXPECT_TRUE(launcher.mimeTypes.empty()) << c.target;
            EXPECT_TRUE(launcher.commands.empty()) << c.target;
        }
    }
    EXPECT_TRUE(launcher.browsed.empty()) << "the browser is only the fallback";
}

TEST_F(HyperLinkTest, FallsBackToTheBrowserWithoutAMimeEntry)
{
    LauncherRecorder launcher(false);
    EXPECT_TRUE(wxHyperLink::OpenLink("http://www.corvala.example/"));
    EXPECT_TRUE(wxHyperLink::OpenLink("ftp://ftp.corvala.example/"));
    EXPECT_TRUE(wxHyperLink::OpenLink("mailto:help@corvala.example"));
    EXPECT_FALSE(wxHyperLink::OpenLink("file:///etc/hosts"));
    EXPECT_TRUE(launcher.commands.empty());
    ASSERT_EQ(launcher.browsed.size(), 3u);
    EXPECT_EQ(launcher.browsed[0], "http://www.corvala.example/");
    EXPECT_EQ(launcher.browsed[1], "ftp://ftp.corvala.example/");
    EXPECT_EQ(launcher.browsed[2], "mailto:help@corvala.example");
}

TEST_F(HyperLinkTest, DefaultLookupAsksTheMimeDatabase)
{
    // Only the starting is replaced: the command, if any, comes from the
    // real MIME database and must carry the target.
    wxHyperLink::Launcher fake;
    std::vector<wxString> started;
    fake.execute = [&](const wxString& command) { started.push_back(command); };
    fake.browse = [&](const wxString& url, int) { started.push_back("browser " + url); };
    wxHyperLink::Launcher previous = wxHyperLink::SetLauncher(fake);
    EXPECT_TRUE(wxHyperLink::OpenLink("http://www.corvala.example/page"));
    wxHyperLink::SetLauncher(previous);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].Find("www.corvala.example/page"), wxNOT_FOUND) << started[0];
}
