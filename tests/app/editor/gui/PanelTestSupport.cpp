#include "tests/app/editor/gui/PanelTestSupport.h"

#include "app/IniPath.h"
#include "foundation/gui/JuceString.h"
#include "tests/app/KeptMidiLayer.h"
#include "tests/support/DispatchLoop.h"

#include <cstdlib>

Bytes defaultTemplate()
{
    return Bytes(DravikDefaultTemplate, DravikDefaultTemplate + DravikDefaultTemplateSize);
}

void PanelTest::SetUp()
{
    midi = &resetMidiLayer();
    previousHome = juce::String::fromUTF8(std::getenv("HOME"));
    home = juce::File::createTempFile("home");
    ASSERT_TRUE(home.createDirectory());
    ::setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
    previousDialogHook = JuceUtils::setDialogHook([this](JuceUtils::Dialog const& dialog) {
        dialogs.push_back(dialog);
        if (whileShown)
            whileShown();
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected box: " << dialog.message;
            return JuceUtils::Cancel;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    });
    Tr::setFileDialogHook([this](Tr::FileDialogRequest const& request) {
        fileRequests.push_back(request);
        if (whileShown)
            whileShown();
        if (chosenFiles.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << request.title.c_str();
            return Tr::BString();
        }
        auto path = chosenFiles.front();
        chosenFiles.pop_front();
        return path;
    });
}

void PanelTest::TearDown()
{
    closeWindow();
    guitest::endWithADispatchedMessage();
    Tr::setFileDialogHook(nullptr);
    JuceUtils::setDialogHook(previousDialogHook);
    ::setenv("HOME", previousHome.toRawUTF8(), 1);
    home.deleteRecursively();
    EXPECT_TRUE(answers.empty()) << "unused box answers";
    EXPECT_TRUE(chosenFiles.empty()) << "unused file dialog answers";
}

DravikContentPanel& PanelTest::startPanel()
{
    window = std::make_unique<PanelWindow>(makePanel);
    window->init("", false, false);
    panel = dynamic_cast<DravikContentPanel*>(window->getContent());
    if (panel == nullptr)
        throw std::runtime_error("the window has no settings panel");
    if (!guitest::pumpUntil([this] { return panel->isStarted(); }, 10000))
        throw std::runtime_error("the panel did not start");
    return *panel;
}

DravikContentPanel& PanelTest::restartPanel()
{
    closeWindow();
    return startPanel();
}

void PanelTest::closeWindow()
{
    panel = nullptr;
    window.reset();
}

juce::String PanelTest::title() const
{
    return window->getName();
}

Bytes PanelTest::storedImage()
{
    Bytes bytes(DravikDefaultTemplateSize);
    panel->saveToMem(bytes.data(), DravikDefaultTemplateSize);
    return bytes;
}

juce::File PanelTest::homeFile(juce::String const& relativePath) const
{
    return home.getChildFile(relativePath);
}

juce::File PanelTest::writeFile(juce::String const& name, Bytes const& bytes) const
{
    auto file = homeFile(name);
    file.getParentDirectory().createDirectory();
    // JUCE deletes the file when given no data.
    if (bytes.empty())
        file.replaceWithText("");
    else
        file.replaceWithData(bytes.data(), bytes.size());
    return file;
}

Bytes PanelTest::readFile(juce::File const& file)
{
    juce::MemoryBlock block;
    if (!file.loadFileAsData(block))
        return {};
    auto const* data = static_cast<unsigned char const*>(block.getData());
    return Bytes(data, data + block.getSize());
}

juce::File PanelTest::iniFile() const
{
    return juce::File(Tr::JuceStringFrom(perUserIniFilePath()));
}

juce::ComboBox* PanelTest::comboAt(int x, int y, int width, int height) const
{
    juce::Rectangle<int> bounds(x, y, width, height);
    for (auto* box : childrenOfType<juce::ComboBox>(*panel))
        if (box->getBounds() == bounds)
            return box;
    throw std::runtime_error("no combo box at " + bounds.toString().toStdString());
}

juce::TextButton& PanelTest::sendButton() const
{
    for (auto* button : childrenOfType<juce::TextButton>(*panel))
        if (button->getBounds() == juce::Rectangle<int>(131, 50, 215, 25))
            return *button;
    throw std::runtime_error("no SEND button");
}

void PanelTest::clickSend(std::initializer_list<JuceUtils::DialogReturnCode> replies)
{
    answers.insert(answers.end(), replies);
    panel->buttonClicked(&sendButton());
}

void PanelTest::choose(juce::ComboBox* box, juce::String const& text)
{
    for (int i = 0; i < box->getNumItems(); ++i) {
        if (box->getItemText(i) == text) {
            box->setSelectedItemIndex(i, juce::sendNotificationSync);
            return;
        }
    }
    throw std::runtime_error("no item " + text.toStdString());
}

void PanelTest::makeChange()
{
    choose(loopRateBox(), "slow Loop Portamento");
}
