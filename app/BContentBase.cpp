#include "app/BContentBase.h"

#include "app/BWindow.h"
#include "app/JuceUtils.h"
#include "app/install/Q7InstallController.h"
#include "foundation/ExecuteFile.h"
#include "foundation/gui/JuceString.h"

#include <unistd.h>

BContentBase::BContentBase() = default;

BContentBase::~BContentBase() = default;

void BContentBase::createComponents()
{
    background.reset(JuceUtils::getDrawable("background_t.png"));
    if (background != nullptr) {
        juce::Rectangle<float> bounds = background->getDrawableBounds();
        preferredWidth = static_cast<int>(bounds.getWidth());
        preferredHeight = static_cast<int>(bounds.getHeight());
    }
    // Presses on the window outside the content drag it too.
    if (BWindow* window = BWindow::getInstance())
        window->addMouseListener(this, false);
}

bool BContentBase::init(juce::String const&)
{
    Tr::BString installed = Tr::checkApplicationInstallation();
    if (installed.isEmpty())
        return true;
    // The copy starts once this instance has ended and released the single-instance lock.
    if (!Tr::ExecuteFileAfterExit(installed, getpid()))
        JuceUtils::FYI(Tr::JuceStringFrom("Error restarting " + installed.extractFileNameWithoutExtension()
                                          + ".\nPlease start it manually."));
    return false;
}

void BContentBase::anotherInstanceStarted(juce::String const&)
{
}

void BContentBase::start(bool)
{
    hasStarted = true;
}

bool BContentBase::canQuit()
{
    return true;
}

void BContentBase::close()
{
}

void BContentBase::enableButtons()
{
}

bool BContentBase::isResizable()
{
    return false;
}

bool BContentBase::showWindowOnStart()
{
    BWindow* window = BWindow::getInstance();
    if (startMinimised && window != nullptr)
        window->setMinimised(true);
    return true;
}

void BContentBase::handleAsyncUpdate()
{
    if (enableButtonsPending.exchange(false))
        enableButtons();
    if (repaintPending.exchange(false))
        repaint();
}

void BContentBase::enableButtonsAsync()
{
    enableButtonsPending = true;
    triggerAsyncUpdate();
}

void BContentBase::asyncRepaint()
{
    repaintPending = true;
    triggerAsyncUpdate();
}

void BContentBase::setPreferredBounds(int width, int height)
{
    preferredWidth = width;
    preferredHeight = height;
}

juce::HyperlinkButton* BContentBase::createLinkButton(juce::String const& url)
{
    auto* button = new juce::HyperlinkButton(" ", juce::URL(url));
    button->setColour(juce::HyperlinkButton::textColourId, juce::Colours::transparentWhite);
    addAndMakeVisible(button);
    return button;
}

void BContentBase::mouseDown(juce::MouseEvent const& e)
{
    BWindow* window = BWindow::getInstance();
    if (e.mods.isLeftButtonDown() && window != nullptr) {
        dragStartX = window->getX();
        dragStartY = window->getY();
    }
    juce::Component::mouseDown(e);
}

void BContentBase::mouseDrag(juce::MouseEvent const& e)
{
    dragReposition(e);
    juce::Component::mouseDrag(e);
}

void BContentBase::mouseUp(juce::MouseEvent const& e)
{
    dragReposition(e);
    if (e.mods.isLeftButtonDown()) {
        dragStartX = noDrag;
        dragStartY = noDrag;
    }
    juce::Component::mouseUp(e);
}

void BContentBase::dragReposition(juce::MouseEvent const& e)
{
    BWindow* window = BWindow::getInstance();
    if (dragStartX == noDrag || window == nullptr)
        return;
    window->setTopLeftPosition(dragStartX + e.getDistanceFromDragStartX(),
                               dragStartY + e.getDistanceFromDragStartY());
}

void BContentBase::mouseDoubleClick(juce::MouseEvent const& e)
{
    BWindow* window = BWindow::getInstance();
    bool onlyLeft = e.mods.isLeftButtonDown() && !e.mods.isRightButtonDown();
    if (window != nullptr && e.eventComponent == window && onlyLeft && e.y < window->getTitleBarHeight()) {
        window->setMinimised(true);
        return;
    }
    juce::Component::mouseDoubleClick(e);
}

void BContentBase::minimisationStateChanged(bool)
{
}

void BContentBase::paint(juce::Graphics& g)
{
    g.setOpacity(1.0f);
    BWindow* window = BWindow::getInstance();
    if (window != nullptr && window->isTransparent())
        g.fillAll(juce::Colours::transparentWhite);
    if (background != nullptr)
        background->draw(g, 1.0f);
}
