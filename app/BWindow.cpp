#include "app/BWindow.h"

#include "app/BContentBase.h"
#include "app/JuceUtils.h"
#include "foundation/Exception.h"

BWindow* BWindow::instance = nullptr;

namespace {

constexpr int minimiseAndClose = juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton;
constexpr int startDelayMs = 20;

} // namespace

BWindow::BWindow(juce::String const& name)
    : juce::DocumentWindow(name, juce::Colours::black, minimiseAndClose, true)
{
    // The focus goes on to the content's first control whenever the window
    // gains it, so that Tab moves from control to control from the start.
    setWantsKeyboardFocus(false);
    if (instance == nullptr)
        instance = this;
}

BWindow::~BWindow()
{
    stopTimer();
    if (content != nullptr) {
        removeMouseListener(content);
        if (contentInitialised)
            content->close();
    }
    // Off the screen before the content goes: a content that drops its look and
    // feel as it is deleted would have JUCE make the window anew and paint it all.
    removeFromDesktop();
    if (instance == this)
        instance = nullptr;
}

BWindow* BWindow::getInstance()
{
    return instance;
}

void BWindow::init(juce::String const& commandLine, bool isTransparent, bool)
{
    try {
        setUp(commandLine, isTransparent);
    } catch (Tr::Exception const& e) {
        showFatalError(e.what());
        juce::JUCEApplication::quit();
    }
}

void BWindow::setUp(juce::String const& rawCommandLine, bool isTransparent)
{
    const juce::MessageManagerLock lock;
    juce::String commandLine = JuceUtils::cutProcessSerialNumberFromCommandLine(rawCommandLine);
    transparent = isTransparent;
    content = createContentPanel();
    setContentOwned(content, false);
    content->createComponents();
    content->enableButtons();
    setTitleBarButtonsRequired(minimiseAndClose, false);
    bool resizable = content->isResizable();
    setResizable(resizable, resizable);
    setContentComponentSize(300, 300);
    if (!content->init(commandLine)) {
        juce::JUCEApplication::quit();
        return;
    }
    contentInitialised = true;
    setContentComponentSize(content->getPreferredWidth(), content->getPreferredHeight());
    if (transparent) {
        setDropShadowEnabled(false);
        setBackgroundColour(juce::Colours::transparentWhite);
    }
    if (content->showWindowOnStart())
        setVisible(true);
    startTimer(startDelayMs);
}

void BWindow::showFatalError(char const* text)
{
    juce::String message = juce::String(L"The following error occured:\n") + juce::String::fromUTF8(text)
                           + L"\nThis program will close now.";
    JuceUtils::showDialog({ juce::MessageBoxIconType::WarningIcon, L"Fatal Error", message, false });
}

void BWindow::anotherInstanceStarted(juce::String const& commandLine)
{
    if (content != nullptr)
        content->anotherInstanceStarted(commandLine);
}

void BWindow::run(void*, int)
{
    content->start(true);
    content->enableButtons();
}

void BWindow::timerCallback()
{
    stopTimer();
    if (content != nullptr)
        JuceUtils::invokeLater(this);
}

void BWindow::minimisationStateChanged(bool isNowMinimised)
{
    if (content != nullptr)
        content->minimisationStateChanged(isNowMinimised);
}

void BWindow::paint(juce::Graphics& g)
{
    if (!transparent) {
        juce::DocumentWindow::paint(g);
        return;
    }
    g.setColour(juce::Colours::black);
    g.fillRoundedRectangle(getLocalBounds().toFloat(), 10.0f);
}

void BWindow::closeButtonPressed()
{
    if (content == nullptr || content->canQuit())
        juce::JUCEApplication::quit();
}

void BWindow::toForeground()
{
    if (isMinimised())
        setMinimised(false);
    juce::Process::makeForegroundProcess();
    setVisible(true);
    toFront(true);
}
