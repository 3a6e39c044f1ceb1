#include "app/JuceUtils.h"

#include "foundation/Folders.h"
#include "foundation/gui/JuceString.h"

juce::String JuceUtils::getHomeDirectory()
{
    return Tr::JuceStringFrom(Tr::getHomeDirectory());
}

bool JuceUtils::hasProjectFileExtension(juce::String const& fileName)
{
    return fileName.endsWithIgnoreCase(".kprj");
}

bool JuceUtils::hasProjectFileExtension(juce::File const* file)
{
    return file != nullptr && hasProjectFileExtension(file->getFileName());
}

void JuceUtils::makeComboBoxTransparent(juce::ComboBox* box, float alpha)
{
    for (int id : { juce::ComboBox::backgroundColourId, juce::ComboBox::outlineColourId,
                    juce::ComboBox::buttonColourId })
        box->setColour(id, box->findColour(id).withAlpha(alpha));
}

namespace {
// A negative width or height means "keep the component's present size".
void keepSizeWhenUnset(juce::Component const& c, int& width, int& height)
{
    if (width < 0 || height < 0) {
        width = c.getWidth();
        height = c.getHeight();
    }
}
}

juce::Component* JuceUtils::center(juce::Component* c, int left, int right, int top, int bottom,
                                   int width, int height)
{
    if (c == nullptr)
        return nullptr;
    keepSizeWhenUnset(*c, width, height);
    int x = juce::jmax(0, left + (right - left) / 2 - width / 2);
    int y = juce::jmax(0, top + (bottom - top) / 2 - height / 2);
    c->setBounds(x, y, width, height);
    return c;
}

juce::Component* JuceUtils::center(juce::Component* c, int left, int right, int top, int bottom)
{
    return center(c, left, right, top, bottom, -1, -1);
}

juce::Component* JuceUtils::center(juce::Component* c, juce::Component const* other)
{
    return center(c, other, -1, -1);
}

juce::Component* JuceUtils::center(juce::Component* c, juce::Component const* other, int width, int height)
{
    if (other == nullptr)
        return c;
    juce::Rectangle<int> area = other->getBounds();
    return center(c, area.getX(), area.getRight(), area.getY(), area.getBottom(), width, height);
}

juce::Component* JuceUtils::centerHorizontally(juce::Component* c, int y, int left, int right,
                                               int width, int height)
{
    if (c == nullptr)
        return nullptr;
    keepSizeWhenUnset(*c, width, height);
    c->setBounds(left + (right - left) / 2 - width / 2, y, width, height);
    return c;
}

juce::Component* JuceUtils::centerHorizontally(juce::Component* c, int y, int left, int right)
{
    return centerHorizontally(c, y, left, right, -1, -1);
}

bool JuceUtils::immediateRepaint(juce::Component* c)
{
    if (c == nullptr || !juce::MessageManager::existsAndIsCurrentThread())
        return false;
    c->repaint();
    if (auto* peer = c->getPeer())
        peer->performAnyPendingRepaintsNow();
    juce::Thread::sleep(1);
    return true;
}
