#include "tests/app/editor/gui/PanelTestSupport.h"

namespace {

struct ComboPlace {
    juce::Rectangle<int> bounds;
    int items;
    char const* emptyText;
    char const* tooltip = "";
};

struct LabelPlace {
    juce::Rectangle<int> bounds;
    juce::String text; // empty: any text
    float height;
    juce::Justification justification;
};

juce::Label* labelAt(juce::Component& parent, juce::Rectangle<int> bounds)
{
    for (auto* label : childrenOfType<juce::Label>(parent))
        if (label->getBounds() == bounds)
            return label;
    return nullptr;
}

} // namespace

TEST_F(PanelTest, ButtonsSitAtTheirBoundsWithTextAndTooltip)
{
    startPanel();
    struct {
        juce::Rectangle<int> bounds;
        char const* text;
        char const* tooltip;
    } const expected[] = {
        { { 34, 15, 81, 25 }, "file OPEN", "load setting from file" },
        { { 34, 50, 81, 25 }, "file SAVE", "save setting to file" },
        { { 131, 50, 215, 25 }, "SEND", "send the settings to the device" },
    };
    auto buttons = childrenOfType<juce::TextButton>(*panel);
    ASSERT_EQ(buttons.size(), 3u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->getBounds(), expected[i].bounds);
        EXPECT_EQ(buttons[i]->getButtonText(), expected[i].text);
        EXPECT_EQ(buttons[i]->getTooltip(), expected[i].tooltip);
        EXPECT_TRUE(buttons[i]->isVisible());
    }
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_TRUE(buttons[1]->isEnabled());
    EXPECT_FALSE(buttons[2]->isEnabled()) << "SEND waits for a MIDI output";
}

TEST_F(PanelTest, ComboBoxesSitAtTheirBoundsFilledFromTheirTables)
{
    startPanel();
    std::vector<ComboPlace> expected = {
        { { 131, 18, 215, 19 }, 1, "(none)", "select the MIDI port to which your device is connected" },
        { { 24, 109, 114, 15 }, 19, "" },
        { { 24, 131, 184, 15 }, 5, "" },
        { { 277, 131, 99, 15 }, 15, "" },
        { { 128, 163, 254, 15 }, 19, "[not applicable]" },
        { { 128, 184, 60, 15 }, 111, "[n/a]" },
    };
    for (int k = 0; k < 16; ++k)
        expected.push_back({ { 105, 212 + 19 * k, 354, 15 }, 13, "" });
    expected.push_back({ { 217, 535, 46, 15 }, 15, "" });
    expected.push_back({ { 119, 555, 144, 15 }, 2, "" });
    expected.push_back({ { 283, 535, 202, 15 }, 3, "" });
    expected.push_back({ { 283, 555, 202, 15 }, 3, "" });

    auto boxes = childrenOfType<juce::ComboBox>(*panel);
    ASSERT_EQ(boxes.size(), expected.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(expected[i].bounds.toString());
        EXPECT_EQ(boxes[i]->getBounds(), expected[i].bounds);
        EXPECT_EQ(boxes[i]->getNumItems(), expected[i].items);
        EXPECT_EQ(boxes[i]->getTextWhenNothingSelected(), expected[i].emptyText);
        EXPECT_EQ(boxes[i]->getTooltip(), expected[i].tooltip);
        EXPECT_TRUE(boxes[i]->isVisible());
    }
}

TEST_F(PanelTest, LabelsSitLeftOfTheirBoxesAndTheFooterAtTheBottom)
{
    startPanel();
    auto left = juce::Justification::centredLeft;
    auto right = juce::Justification::centredRight;
    int noticeWidth = panel->getPreferredWidth() - 287;
    std::vector<LabelPlace> expected = {
        { { 24, 163, 99, 15 }, "Base Setting:", 13.0f, right },
        { { 24, 184, 99, 15 }, "Duration (sec):", 13.0f, right },
        { { 24, 535, 188, 15 }, "Whammy MIDI Base Channel:", 13.0f, left },
        { { 24, 555, 90, 15 }, "Output Type:", 13.0f, left },
        { { 7, 580, 250, 24 }, "Dravik MIDI T - Programming Utility - v2.0", 10.0f, left },
        { { 280, 580, noticeWidth, 24 }, {}, 10.0f, right },
    };
    for (int k = 0; k < 16; ++k)
        expected.push_back({ { 39, 212 + 19 * k, 61, 15 }, "Step " + juce::String(k + 1) + ":", 13.0f, left });
    for (auto const& place : expected) {
        SCOPED_TRACE(place.bounds.toString());
        auto* label = labelAt(*panel, place.bounds);
        ASSERT_NE(label, nullptr);
        if (place.text.isNotEmpty()) {
            EXPECT_EQ(label->getText(), place.text);
        }
        EXPECT_EQ(label->getName(), "l");
        EXPECT_EQ(label->getFont().getHeight(), place.height);
        EXPECT_EQ(label->getFont().getTypefaceName(), juce::Font::getDefaultMonospacedFontName());
        EXPECT_EQ(label->getJustificationType(), place.justification);
        EXPECT_FALSE(label->isEditable());
    }
    EXPECT_EQ(childrenOfType<juce::Label>(*panel).size(), expected.size() + 1) << "and the web address";
}

TEST_F(PanelTest, TheTransparentLinkLiesOverTheWebAddress)
{
    startPanel();
    juce::Rectangle<int> bounds(267, 580, 130, 24);
    auto links = childrenOfType<juce::HyperlinkButton>(*panel);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->getBounds(), bounds);
    EXPECT_EQ(links[0]->getButtonText(), " ");
    EXPECT_TRUE(links[0]->getURL().toString(false).isNotEmpty());
    auto* address = labelAt(*panel, bounds);
    ASSERT_NE(address, nullptr);
    EXPECT_TRUE(links[0]->getURL().toString(false).contains(address->getText()));
    EXPECT_GT(panel->getIndexOfChildComponent(links[0]), panel->getIndexOfChildComponent(address));
}

// The design gives a combo box's arrow the colour of its background; the panel's
// look must still draw it visibly.
TEST_F(PanelTest, ComboBoxArrowsStandOutFromTheirBackground)
{
    startPanel();
    auto* box = loopRateBox();
    auto snapshot = box->createComponentSnapshot(box->getLocalBounds(), true, 1.0f);
    auto background = box->findColour(juce::ComboBox::backgroundColourId);
    auto button = box->findColour(juce::ComboBox::buttonColourId);
    int arrowPixels = 0;
    for (int x = box->getWidth() - DravikLookAndFeel::comboButtonWidth; x < box->getWidth(); ++x)
        for (int y = 0; y < box->getHeight(); ++y) {
            auto pixel = snapshot.getPixelAt(x, y);
            if (pixel.getBrightness() < juce::jmin(background.getBrightness(), button.getBrightness()) - 0.3f)
                ++arrowPixels;
        }
    EXPECT_GE(arrowPixels, 6);
}

TEST_F(PanelTest, TheWindowUsesTheNativeTitleBar)
{
    startPanel();
    EXPECT_TRUE(window->isUsingNativeTitleBar());
    EXPECT_EQ(window->getContentComponent()->getWidth(), panel->getPreferredWidth());
}

namespace {

// Whether the panel marks this control as focused: the focus frame lies inside
// the control's bounds.
bool showsFocusMark(DravikContentPanel& panel, juce::Component& control)
{
    auto snapshot = panel.createComponentSnapshot(control.getBounds(), true, 1.0f);
    return snapshot.getPixelAt(0, control.getHeight() / 2) == DravikLookAndFeel::focusMark
           && snapshot.getPixelAt(control.getWidth() - 1, control.getHeight() / 2) == DravikLookAndFeel::focusMark;
}

// Runs the check on the modal box or dialog once it is up, then closes it.
class ModalInspector : private juce::Timer {
public:
    explicit ModalInspector(std::function<void(juce::Component&)> check) : check(std::move(check))
    {
        startTimer(10);
    }

private:
    void timerCallback() override
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent()) {
            stopTimer();
            check(*modal);
            modal->exitModalState(0);
        }
    }

    std::function<void(juce::Component&)> check;
};

} // namespace

// When the window gains the focus (a window manager gives it at once), its
// first control takes it, Tab moves it on (row by row: the port box sits between
// OPEN and SAVE), and a frame shows where it is.
TEST_F(PanelTest, TheFirstControlTakesTheFocusAndTabMovesItVisibly)
{
    startPanel();
    auto buttons = childrenOfType<juce::TextButton>(*panel);
    ASSERT_GE(buttons.size(), 2u);
    juce::TextButton& open = *buttons[0];
    juce::TextButton& save = *buttons[1];
    ASSERT_EQ(open.getButtonText(), "file OPEN");
    auto* peer = window->getPeer();
    ASSERT_NE(peer, nullptr);

    peer->handleFocusGain();
    ASSERT_TRUE(open.hasKeyboardFocus(false));
    EXPECT_TRUE(showsFocusMark(*panel, open));
    EXPECT_FALSE(showsFocusMark(*panel, save));

    peer->handleKeyPress(juce::KeyPress(juce::KeyPress::tabKey));
    auto* portBox = comboAt(131, 18, 215, 19);
    ASSERT_TRUE(portBox->hasKeyboardFocus(true));
    EXPECT_TRUE(showsFocusMark(*panel, *portBox));
    peer->handleKeyPress(juce::KeyPress(juce::KeyPress::tabKey));
    ASSERT_TRUE(save.hasKeyboardFocus(false));
    EXPECT_TRUE(showsFocusMark(*panel, save));
    EXPECT_FALSE(showsFocusMark(*panel, open));
}

// Message boxes, the question and the file dialogs are drawn on the window's
// light grey, with the panel's buttons, not in JUCE's dark scheme.
TEST_F(PanelTest, BoxesAndFileDialogsTakeTheWindowsLook)
{
    startPanel();
    if (juce::FileChooser::isPlatformDialogAvailable())
        GTEST_SKIP() << "the file dialog would be another program's";
    auto hook = JuceUtils::setDialogHook(nullptr);
    Tr::setFileDialogHook(nullptr);
    juce::Colour const windowGrey = window->getBackgroundColour();
    std::vector<juce::Colour> backgrounds;
    std::vector<juce::Colour> buttons;
    auto record = [&](juce::Component& modal) {
        if (auto* box = dynamic_cast<juce::AlertWindow*>(&modal))
            backgrounds.push_back(box->findColour(juce::AlertWindow::backgroundColourId));
        else if (auto* dialog = dynamic_cast<juce::ResizableWindow*>(&modal))
            backgrounds.push_back(dialog->getBackgroundColour());
        auto found = childrenOfType<juce::TextButton>(modal);
        if (!found.empty())
            buttons.push_back(found[0]->findColour(juce::TextButton::buttonColourId));
    };
    {
        ModalInspector inspector(record);
        JuceUtils::ErrorDlg("went wrong");
    }
    {
        ModalInspector inspector(record);
        JuceUtils::Confirm("Save?");
    }
    {
        ModalInspector inspector([&](juce::Component& modal) {
            if (auto* content = dynamic_cast<juce::ResizableWindow*>(&modal))
                record(*content->getContentComponent());
            record(modal);
        });
        Tr::askUserForFileDialog("Open", "", "*.syx", "", Tr::StringFrom(home.getFullPathName()), 0);
    }
    JuceUtils::setDialogHook(hook);
    EXPECT_EQ(backgrounds, std::vector<juce::Colour>(3, windowGrey));
    EXPECT_EQ(buttons, std::vector<juce::Colour>(3, DravikLookAndFeel::lightGrey));
}
