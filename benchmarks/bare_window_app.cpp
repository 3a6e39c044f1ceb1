// The yardstick of the start-up benchmark: the least JUCE window application
// that looks like the editor from outside. Same modules (it links the same JUCE
// library), a window with a native title bar, minimise and close buttons,
// content of the editor's size holding as many combo boxes, one instance only.
//
//     dravik_bare_window WIDTH HEIGHT COMBO_BOXES
//
// The close button quits at once.
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace {

class Content : public juce::Component
{
public:
    Content(int width, int height, int comboBoxCount)
    {
        for (int i = 0; i < comboBoxCount; ++i) {
            auto* box = boxes.add(new juce::ComboBox());
            for (int item = 1; item <= 16; ++item)
                box->addItem("Item " + juce::String(item), item);
            box->setSelectedId(1, juce::dontSendNotification);
            // Rows of 20 pixels, a new column when a row would leave the window.
            int const rows = juce::jmax(1, (height - 10) / 20);
            box->setBounds(10 + 160 * (i / rows), 10 + 20 * (i % rows), 150, 15);
            addAndMakeVisible(box);
        }
        setSize(width, height);
    }

private:
    juce::OwnedArray<juce::ComboBox> boxes;
};

class Window : public juce::DocumentWindow
{
public:
    Window(int width, int height, int comboBoxCount)
        : juce::DocumentWindow("Bare JUCE window", juce::Colours::lightgrey,
                               juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar(true);
        setContentOwned(new Content(width, height, comboBoxCount), true);
        setResizable(false, false);
        centreWithSize(getWidth(), getHeight());
        setVisible(true);
    }

    void closeButtonPressed() override { juce::JUCEApplication::quit(); }
};

class BareApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Dravik bare window"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return false; }

    void initialise(juce::String const&) override
    {
        juce::StringArray const args = getCommandLineParameterArray();
        if (args.size() != 3) {
            std::fputs("usage: dravik_bare_window WIDTH HEIGHT COMBO_BOXES\n", stderr);
            setApplicationReturnValue(2);
            quit();
            return;
        }
        window = std::make_unique<Window>(args[0].getIntValue(), args[1].getIntValue(), args[2].getIntValue());
    }

    void shutdown() override { window.reset(); }

private:
    std::unique_ptr<Window> window;
};

} // namespace

START_JUCE_APPLICATION(BareApplication)
