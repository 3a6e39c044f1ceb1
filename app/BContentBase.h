#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

// Base of the main window's content: draws the background image, whose size is
// the window's content size, lets the user drag the window by it, and gives
// the hooks through which the window builds, starts and closes the content.
class BContentBase : public juce::Component, public juce::AsyncUpdater
{
public:
    BContentBase();
    ~BContentBase() override;

    // Loads the background and takes its size as the preferred size.
    virtual void createComponents();
    // False ends the application before the window is shown. The base runs
    // the install offer: false when an installed copy is to start instead.
    virtual bool init(juce::String const& commandLine);
    virtual void anotherInstanceStarted(juce::String const& commandLine);
    virtual void start(bool started);
    // Asked before the application quits; false keeps it running.
    virtual bool canQuit();
    // Runs as the window goes, only when init went through.
    virtual void close();
    virtual void enableButtons();
    virtual bool isResizable();
    virtual bool showWindowOnStart();
    void handleAsyncUpdate() override;

    void mouseDown(juce::MouseEvent const& e) override;
    void mouseDrag(juce::MouseEvent const& e) override;
    void mouseUp(juce::MouseEvent const& e) override;
    void mouseDoubleClick(juce::MouseEvent const& e) override;
    void minimisationStateChanged(bool isNowMinimised) override;
    void paint(juce::Graphics& g) override;

    // Both callable from any thread; the work runs on the message thread.
    void enableButtonsAsync();
    void asyncRepaint();
    void setPreferredBounds(int width, int height);
    // A transparent link over a label: the label shows the text, the button
    // catches the click. The caller owns it.
    juce::HyperlinkButton* createLinkButton(juce::String const& url);
    // Moves the main window by the distance dragged since the left-button press.
    void dragReposition(juce::MouseEvent const& e);

    int getPreferredWidth() const { return preferredWidth; }
    int getPreferredHeight() const { return preferredHeight; }
    bool isStarted() const { return hasStarted; }

protected:
    bool startMinimised = false;

private:
    static constexpr int noDrag = -50000;

    std::unique_ptr<juce::Drawable> background;
    int preferredWidth = 365;
    int preferredHeight = 255;
    std::atomic<bool> repaintPending { false };
    std::atomic<bool> enableButtonsPending { false };
    bool hasStarted = false;
    int dragStartX = noDrag;
    int dragStartY = noDrag;
};
