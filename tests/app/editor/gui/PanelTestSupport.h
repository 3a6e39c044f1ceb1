#pragma once
// The settings panel in a real main window, with a fresh home folder per test,
// the message boxes and file dialogs answered by the test, and helpers that act
// as the user (selections with notification) and find controls by their bounds.

#include "app/BWindow.h"
#include "app/JuceUtils.h"
#include "app/editor/DravikContentPanel.h"
#include "foundation/gui/FileDialog.h"
#include "foundation/gui/JuceString.h"
#include "platform/coremidi/VirtualMidiBackend.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The built-in settings image as stored.
Bytes defaultTemplate();

// The parent's children of type T, in child order.
template <class T>
std::vector<T*> childrenOfType(juce::Component& parent)
{
    std::vector<T*> found;
    for (auto* child : parent.getChildren())
        if (auto* control = dynamic_cast<T*>(child))
            found.push_back(control);
    return found;
}

class PanelWindow : public BWindow {
public:
    explicit PanelWindow(std::function<DravikContentPanel*()> makePanel = [] { return new DravikContentPanel(); })
        : BWindow("Dravik MIDI T"), makePanel(std::move(makePanel))
    {
    }
    BContentBase* createContentPanel() override { return makePanel(); }

private:
    std::function<DravikContentPanel*()> makePanel;
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window as the application does and waits until the panel has started.
    DravikContentPanel& startPanel();
    // Closes the window (the panel writes its ini file) and starts a new one.
    DravikContentPanel& restartPanel();
    void closeWindow();

    juce::String title() const;
    Bytes storedImage();
    juce::File homeFile(juce::String const& relativePath) const;
    juce::File writeFile(juce::String const& name, Bytes const& bytes) const;
    static Bytes readFile(juce::File const& file);
    juce::File iniFile() const;

    juce::ComboBox* comboAt(int x, int y, int width, int height) const;
    juce::ComboBox* programBox() const { return comboAt(24, 109, 114, 15); }
    juce::ComboBox* programTypeBox() const { return comboAt(24, 131, 184, 15); }
    juce::ComboBox* stepCountBox() const { return comboAt(277, 131, 99, 15); }
    juce::ComboBox* baseSettingBox() const { return comboAt(128, 163, 254, 15); }
    juce::ComboBox* durationBox() const { return comboAt(128, 184, 60, 15); }
    juce::ComboBox* stepBox(int k) const { return comboAt(105, 212 + 19 * k, 354, 15); }
    juce::ComboBox* outputTypeBox() const { return comboAt(119, 555, 144, 15); }
    juce::ComboBox* loopRateBox() const { return comboAt(283, 535, 202, 15); }
    juce::ComboBox* portBox() const { return comboAt(131, 18, 215, 19); }
    juce::TextButton& sendButton() const;
    bool sendIsReady() const { return sendButton().isEnabled() && sendButton().getButtonText() == "SEND"; }
    // A click on SEND, with the answers to the boxes it shows.
    void clickSend(std::initializer_list<JuceUtils::DialogReturnCode> replies);

    // The user picks the item with this text; the panel hears of it at once.
    static void choose(juce::ComboBox* box, juce::String const& text);
    // Edits one value, so that the document is modified.
    void makeChange();

    // Makes the panel of the windows that the test opens.
    std::function<DravikContentPanel*()> makePanel = [] { return new DravikContentPanel(); };
    // Answers of the next message boxes and file dialogs, in order.
    std::deque<JuceUtils::DialogReturnCode> answers;
    std::deque<Tr::BString> chosenFiles;
    // Runs while each box or file dialog is on screen, before it is answered.
    std::function<void()> whileShown;
    // What the boxes and dialogs showed.
    std::vector<JuceUtils::Dialog> dialogs;
    std::vector<Tr::FileDialogRequest> fileRequests;

    // The process's MIDI back-end, without ports at the start of each test.
    VirtualMidiBackend* midi = nullptr;
    juce::File home;
    std::unique_ptr<PanelWindow> window;
    DravikContentPanel* panel = nullptr;

private:
    juce::String previousHome;
    JuceUtils::DialogHook previousDialogHook;
};
