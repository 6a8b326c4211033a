#include <utility>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/wxsqlite3.h>

#include "frame/Corva.h"
#include "storage/ContactInfoEx.h"
#include "storage/ContactManager.h"
#include "storage/TagInfo.h"
#include "storage/TagManager.h"
#include "tests/support/GuiTest.h"
#include "views/CardCanvas.h"
#include "views/CardShape.h"
#include "views/ContactEvent.h"
#include "views/RelationCanvas.h"
#include "views/ShapeManager.h"
#include "views/TagShape.h"

namespace
{
wxColour PixelAfterDraw(BaseShape& shape, int px, int py)
{
    wxBitmap bitmap(200, 120, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxColour(10, 20, 30)));
    dc.Clear();
    shape.Draw(dc);
    dc.SelectObject(wxNullBitmap);
    wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(px, py), image.GetGreen(px, py), image.GetBlue(px, py));
}

class ModelTest : public CorvalaGuiTest
{
protected:
    ~ModelTest() override
    {
        delete Corva::GetInstance();
    }

    void AddContacts(int count)
    {
        wxSQLite3Database db;
        db.Open(dir.DbPath());
        for (int i = 0; i < count; ++i)
            db.ExecuteUpdate(wxString::Format(
                "INSERT INTO contacts(last_name, first_name, last_name_alpha, sex) VALUES('N%d','F','%c%d',1)", i,
                'A' + i % 26, i));
        db.Close();
    }
};
} // namespace

TEST(CardShapeTest, StarsFollowTheHistoryCount)
{
    struct
    {
        int count;
        std::vector<std::pair<const char*, int>> stars;
    } cases[] = {
        {0, {{"Star_s16_00.png", 12}}},
        {1, {{"Star_s16_05.png", 12}}},
        {5, {{"Star_s16_05.png", 12}}},
        {6, {{"Star_s16_05.png", 12}, {"Star_s16_10.png", 28}}},
        {50, {{"Star_s16_05.png", 12}, {"Star_s16_10.png", 28}}},
        {51, {{"Star_s16_05.png", 12}, {"Star_s16_10.png", 28}, {"Star_s16_50.png", 44}}},
    };
    for (const auto& c : cases)
    {
        std::vector<CardShape::Star> stars = CardShape::StarsFor(c.count);
        ASSERT_EQ(c.stars.size(), stars.size()) << "history count " << c.count;
        for (size_t i = 0; i < stars.size(); ++i)
        {
            EXPECT_EQ(c.stars[i].first, stars[i].file) << "history count " << c.count;
            EXPECT_EQ(c.stars[i].second, stars[i].offsetX) << "history count " << c.count;
        }
    }
    EXPECT_EQ("User_s24_01.png", CardShape::PersonImageFor(1));
    EXPECT_EQ("User_s24_00.png", CardShape::PersonImageFor(0));
}

TEST_F(ModelTest, CardFillFollowsHighlightAndSelection)
{
    ContactInfoEx contact;
    CardShape card(&contact);
    EXPECT_EQ(wxRect(0, 0, 160, 100), card.GetRect());
    card.MoveBy(20, 10);
    EXPECT_EQ(wxRect(20, 10, 160, 100), card.GetRect());

    // A point inside the card, clear of text, rule and pictures.
    const int px = 20 + 100, py = 10 + 90;
    EXPECT_EQ(wxColour(255, 255, 255), PixelAfterDraw(card, px, py));
    card.highlighted = true;
    EXPECT_EQ(wxColour(238, 238, 238), PixelAfterDraw(card, px, py));
    card.selected = true;
    EXPECT_EQ(wxColour(231, 223, 221), PixelAfterDraw(card, px, py)) << "selection wins";
    card.highlighted = false;
    EXPECT_EQ(wxColour(231, 223, 221), PixelAfterDraw(card, px, py));
    EXPECT_EQ(wxColour(104, 132, 228), PixelAfterDraw(card, 20 + 8, 10 + 50)) << "the blue rule";
}

TEST_F(ModelTest, LongCardTextsEndInAnEllipsisAfterAWholeCharacter)
{
    wxBitmap bitmap(200, 120, 24);
    wxMemoryDC dc(bitmap);
    dc.SetFont(wxFont(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const wxString ellipsis(wxUniChar(0x2026));
    for (const wxString& text :
         {wxString("Zimmermann Pierre"), wxString("Li Wei"), wxString::FromUTF8("渡辺 大輔とその仲間たちの会社"),
          wxString("Harbor & Finch Trading Company"), wxString("pierre.zimmermann@example.com"),
          wxString("WWWWWWWWWWWWWWWWWWWW")})
    {
        const std::string name = text.utf8_string();
        const wxString fitted = CardShape::FitText(dc, text, CardShape::NAME_WIDTH);
        EXPECT_LE(dc.GetTextExtent(fitted).x, CardShape::NAME_WIDTH) << name << " -> " << fitted.utf8_string();
        if (dc.GetTextExtent(text).x <= CardShape::NAME_WIDTH)
        {
            EXPECT_EQ(text, fitted) << name << " fits whole";
            continue;
        }
        ASSERT_TRUE(fitted.EndsWith(ellipsis)) << name << " -> " << fitted.utf8_string();
        const wxString kept = fitted.substr(0, fitted.length() - 1);
        EXPECT_TRUE(text.StartsWith(kept)) << name << ": whole characters of the text, then the ellipsis";
        wxString longer = text.substr(0, kept.length() + 1);
        if (longer.Last() == ' ')
            longer = text.substr(0, kept.length() + 2);
        EXPECT_GT(dc.GetTextExtent(longer + ellipsis).x, CardShape::NAME_WIDTH)
            << name << ": as many characters as fit";
    }

    // A long name gets smaller type before it loses letters; a longer one
    // still ends in an ellipsis. On the card nothing is drawn between the
    // name's end and the person picture.
    const int smallest = std::max(9, wxNORMAL_FONT->GetPointSize());
    for (const char* last : {"Zimmermann", "Zimmermann-Oberhausen-Wittgenstein"})
    {
        ContactInfoEx contact;
        contact.last_name = last;
        contact.first_name = "Pierre";
        const wxString full = contact.last_name + " Pierre";
        const wxString shown = CardShape::FitName(dc, full);
        EXPECT_GE(dc.GetFont().GetPointSize(), smallest) << last;
        EXPECT_LE(dc.GetTextExtent(shown).x, CardShape::NAME_WIDTH) << last;
        if (shown != full)
        {
            EXPECT_EQ(smallest, dc.GetFont().GetPointSize()) << last << ": letters go only at the smallest type";
            EXPECT_TRUE(shown.EndsWith(ellipsis)) << last;
        }
        const int end = 12 + dc.GetTextExtent(shown).x;
        CardShape card(&contact);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        card.Draw(dc);
        const wxImage image = bitmap.ConvertToImage();
        for (int px = end + 2; px < 130; ++px)
            for (int py = 4; py < 28; ++py)
                ASSERT_EQ(wxColour(255, 255, 255),
                          wxColour(image.GetRed(px, py), image.GetGreen(px, py), image.GetBlue(px, py)))
                    << last << ": ink at " << px << "," << py;
    }
}

TEST_F(ModelTest, CardTextsAreMeasuredOnceAndKeptForTheNextPage)
{
    wxBitmap bitmap(200, 120, 24);
    wxMemoryDC dc(bitmap);
    ContactInfoEx contact;
    contact.last_name = "Measured";
    // Texts no other test drew, so that nothing is kept for them yet.
    contact.first_name = wxString::Format("Once%lu", CardShape::MeasuredLayouts());
    contact.company = "Acme";
    const unsigned long before = CardShape::MeasuredLayouts();
    {
        CardShape card(&contact);
        card.Draw(dc);
        card.selected = true;
        card.Draw(dc);
    }
    EXPECT_EQ(before + 1, CardShape::MeasuredLayouts()) << "a repaint measures nothing";
    CardShape again(&contact);
    again.Draw(dc);
    EXPECT_EQ(before + 1, CardShape::MeasuredLayouts()) << "nor does the same contact on a page shown again";
    contact.company = "Globex";
    again.Draw(dc);
    EXPECT_EQ(before + 2, CardShape::MeasuredLayouts()) << "a text edited in place is measured again";
    EXPECT_EQ("Globex", CardShape::LayoutFor(dc, contact).company);
}

TEST_F(ModelTest, CardWithoutContactDrawsNothing)
{
    CardShape card(nullptr);
    card.selected = true;
    EXPECT_EQ(wxColour(10, 20, 30), PixelAfterDraw(card, 50, 50));
    EXPECT_EQ(wxColour(10, 20, 30), PixelAfterDraw(card, 0, 0)) << "not even the border";
}

TEST_F(ModelTest, CardDrawsItsStarPictures)
{
    ContactInfoEx contact;
    CardShape card(&contact);
    // Pixel colours of the star pictures themselves, read from the files.
    wxImage fullStar("img/Star_s16_05.png", wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(fullStar.IsOk());
    contact.historyCount = 51;
    wxColour at12 = PixelAfterDraw(card, 12 + 8, 78 + 8);
    wxColour at44 = PixelAfterDraw(card, 44 + 8, 78 + 8);
    contact.historyCount = 5;
    wxColour empty44 = PixelAfterDraw(card, 44 + 8, 78 + 8);
    EXPECT_NE(wxColour(255, 255, 255), at12) << "a star at the first place";
    EXPECT_NE(wxColour(255, 255, 255), at44) << "a third star for 51 entries";
    EXPECT_EQ(wxColour(255, 255, 255), empty44) << "no third star for 5 entries";
}

TEST(TagShapeTest, SizeIdAndRandomPlace)
{
    TagInfo tag(7, "Friends", 1);
    srand(42);
    int y = rand() % 400;
    int x = rand() % 400;
    srand(42);
    TagShape shape(&tag);
    EXPECT_EQ(x, shape.x);
    EXPECT_EQ(y, shape.y) << "y is drawn before x";
    EXPECT_EQ(80, shape.width);
    EXPECT_EQ(20, shape.height);
    EXPECT_EQ(7, shape.GetId());
    EXPECT_EQ(-1, CardShape(nullptr).GetId());
}

TEST_F(ModelTest, HitTestReturnsTheFirstIntersectingCard)
{
    Corva* model = Corva::GetInstance();
    model->Init();
    ShapeManager& shapes = model->shapeManager;
    EXPECT_EQ(0u, shapes.cardShapes.GetCount());
    EXPECT_EQ(nullptr, shapes.HitTest(wxRect(0, 0, 1000, 1000))) << "no cards, no hit";

    AddContacts(3);
    model->contactManager.condition.changed = true;
    model->contactManager.Search();
    ASSERT_EQ(3u, shapes.cardShapes.GetCount()) << "the search rebuilt the cards";
    CardShape* first = shapes.cardShapes[0];
    CardShape* second = shapes.cardShapes[1];
    first->x = 10;
    first->y = 10;
    second->x = 100;
    second->y = 50;
    shapes.cardShapes[2]->x = 500;
    EXPECT_EQ(first, shapes.HitTest(wxRect(120, 60, 4, 4))) << "overlap: the earlier card wins";
    EXPECT_EQ(second, shapes.HitTest(wxRect(200, 140, 4, 4)));
    EXPECT_EQ(first, shapes.HitTest(wxRect(166, 106, 4, 4))) << "one common pixel at (169, 109)";
    EXPECT_EQ(nullptr, shapes.HitTest(wxRect(300, 300, 4, 4)));
}

TEST_F(ModelTest, RebuildsFollowTheContactsAndTags)
{
    dir.Exec("INSERT INTO mst_tags(name, display_order) VALUES('A', 1)");
    dir.Exec("INSERT INTO mst_tags(name, display_order) VALUES('B', 2)");
    AddContacts(4);
    Corva* model = Corva::GetInstance();
    EXPECT_EQ(model, Corva::GetInstance()) << "one model root";
    model->Init();
    ShapeManager& shapes = model->shapeManager;
    EXPECT_EQ(2u, shapes.tagShapes.GetCount());
    EXPECT_EQ(0u, shapes.cardShapes.GetCount()) << "no search yet";
    EXPECT_EQ(&shapes, model->contactManager.observers[0]);

    unsigned generation = shapes.GetCardGeneration();
    model->contactManager.Search();
    ASSERT_EQ(4u, shapes.cardShapes.GetCount());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(model->contactManager.contactList[i], shapes.cardShapes[i]->GetContact());
    EXPECT_NE(generation, shapes.GetCardGeneration());
    shapes.cardShapes[0]->selected = true;
    model->contactManager.NotifyObservers();
    EXPECT_FALSE(shapes.cardShapes[0]->selected) << "rebuilt cards start unselected";

    // Every tag list refresh reloads the cache; the tag shapes must not be
    // left pointing at the destroyed records (AddressSanitizer watches).
    const int firstTagId = shapes.tagShapes[0]->GetId();
    model->tagManager.Load();
    EXPECT_EQ(firstTagId, shapes.tagShapes[0]->GetId());
    EXPECT_NE(model->tagManager.FindById(firstTagId), shapes.tagShapes[0]->GetTag());
    EXPECT_EQ("A", shapes.tagShapes[0]->GetTag()->name);

    shapes.ClearCardShapes();
    shapes.ClearTagShapes();
    EXPECT_EQ(0u, shapes.cardShapes.GetCount());
    EXPECT_EQ(0u, shapes.tagShapes.GetCount());
}

TEST_F(ModelTest, ShapesFollowTheManagersTheyAreHanded)
{
    dir.Exec("INSERT INTO mst_tags(name, display_order) VALUES('Solo', 1)");
    AddContacts(3);
    // Managers of their own, not the model root's.
    TagManager tags;
    ContactManager contacts;
    ShapeManager shapes(tags, contacts);
    contacts.AddObserver(&shapes);
    shapes.RebuildShapes();
    ASSERT_EQ(1u, shapes.tagShapes.GetCount());
    EXPECT_EQ("Solo", shapes.tagShapes[0]->GetTag()->name);
    EXPECT_EQ(0u, shapes.cardShapes.GetCount()) << "no search yet";

    contacts.Search();
    ASSERT_EQ(3u, shapes.cardShapes.GetCount());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(contacts.contactList[i], shapes.cardShapes[i]->GetContact()) << "card " << i;
    EXPECT_EQ(0u, Corva::GetInstance()->contactManager.contactList.GetCount())
        << "the model root's page is not the one the cards show";
}

TEST_F(ModelTest, CardCanvasAsksTheWindowAboveItInsteadOfActing)
{
    AddContacts(2);
    TagManager tags;
    ContactManager contacts;
    ShapeManager shapes(tags, contacts);
    contacts.AddObserver(&shapes);
    contacts.Search();
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "cards");
    CardCanvas* canvas = new CardCanvas(frame);
    canvas->SetShapeManager(&shapes);
    canvas->SetContactManager(&contacts);
    frame->SetClientSize(600, 300);
    frame->Show();
    ProcessPending();
    canvas->LayoutCards(canvas->GetClientSize().GetWidth());
    auto mouse = [canvas](wxEventType type, int x, int y)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(event);
    };
    ContactInfoEx* second = shapes.cardShapes[1]->GetContact();

    // Nothing above handles the click: the canvas marks the card itself.
    mouse(wxEVT_LEFT_DOWN, 200, 20);
    EXPECT_EQ(shapes.cardShapes[1], canvas->GetSelectedCard());
    EXPECT_EQ(shapes.cardShapes[0]->GetContact(), contacts.currentContact)
        << "the current contact is the window's to set";

    std::vector<std::pair<wxEventType, ContactInfoEx*>> asked;
    for (wxEventType type : {EVT_CONTACT_SELECT, EVT_CONTACT_EDIT, EVT_CONTACT_MENU})
        frame->Bind(wxEventTypeTag<ContactEvent>(type),
                    [&asked](ContactEvent& event) { asked.emplace_back(event.GetEventType(), event.GetContact()); });
    mouse(wxEVT_LEFT_DOWN, 200, 20);
    ASSERT_EQ(1u, asked.size()) << "the card is selected but not current: the window is asked";
    EXPECT_EQ(EVT_CONTACT_SELECT, asked[0].first);
    EXPECT_EQ(second, asked[0].second);

    // Once the window made it the one current contact, a click asks nothing.
    contacts.currentContact = second;
    wxArrayPtrVoid only;
    only.Add(second);
    canvas->ShowSelection(only);
    asked.clear();
    mouse(wxEVT_LEFT_DOWN, 200, 20);
    EXPECT_TRUE(asked.empty());
    mouse(wxEVT_LEFT_DCLICK, 200, 20);
    mouse(wxEVT_RIGHT_UP, 200, 20);
    ASSERT_EQ(2u, asked.size());
    EXPECT_EQ(EVT_CONTACT_EDIT, asked[0].first);
    EXPECT_EQ(EVT_CONTACT_MENU, asked[1].first);
    EXPECT_EQ(second, asked[1].second);
    mouse(wxEVT_RIGHT_UP, 590, 290);
    EXPECT_EQ(2u, asked.size()) << "no menu on empty space";

    frame->Destroy();
    ProcessPending();
}

TEST_F(ModelTest, RelationCanvasIsAnEmptyScrollableArea)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "relation");
    RelationCanvas* canvas = new RelationCanvas(frame);
    frame->Show();
    ProcessPending();
    int ux = 0, uy = 0;
    canvas->GetScrollPixelsPerUnit(&ux, &uy);
    EXPECT_EQ(20, ux);
    EXPECT_EQ(20, uy);
    EXPECT_EQ(wxSize(2000, 2000), canvas->GetVirtualSize());
    TagManager tags;
    ContactManager contacts;
    ShapeManager manager(tags, contacts);
    canvas->SetShapeManager(&manager);
    EXPECT_EQ(&manager, canvas->GetShapeManager());
    for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MOTION, wxEVT_LEFT_DCLICK})
    {
        wxMouseEvent mouse(type);
        mouse.SetEventObject(canvas);
        mouse.SetPosition(wxPoint(30, 30));
        EXPECT_TRUE(canvas->ProcessWindowEvent(mouse)) << "the map swallows mouse event " << type;
    }
    canvas->Refresh();
    ProcessPending();
    frame->Destroy();
    ProcessPending();
}
