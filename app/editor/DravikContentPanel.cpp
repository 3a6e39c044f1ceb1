#include "app/editor/DravikContentPanel.h"

#include "app/BWindow.h"
#include "app/DravikWindow.h"
#include "app/IniPath.h"
#include "app/JuceUtils.h"
#include "foundation/Folders.h"
#include "foundation/PexaSystem.h"
#include "midi/MidiManager.h"

namespace {

char const* const makerWebAddress = "https://www.dravikon.example";
char const* const makerWebAddressText = "www.dravikon.example";
char const* const copyrightNotice = "(c) Dravikon";

constexpr int stepRowHeight = 19;

} // namespace

DravikContentPanel::DravikContentPanel()
{
    Tr::MidiManager::instance()->SetPersistent(1);
    documentsDir = Tr::getMyDocumentsDirectory() + "/" + "Dravik MIDI T";
    iniFilePath = perUserIniFilePath();
}

DravikContentPanel::~DravikContentPanel()
{
    stopMidi();
    ownedComponents.clearAndDelete();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    Tr::PexaSystem::shutdown();
}

BContentBase* CreateContentPanel()
{
    return new DravikContentPanel();
}

void DravikContentPanel::createComponents()
{
    BContentBase::createComponents();
    // The panel's look is the program's: message boxes, the question and the
    // file dialogs take it too, on the window's light grey.
    if (auto* window = BWindow::getInstance()) {
        window->setUsingNativeTitleBar(true);
        lookAndFeel.setColour(juce::AlertWindow::backgroundColourId, window->getBackgroundColour());
    }
    juce::LookAndFeel::setDefaultLookAndFeel(&lookAndFeel);

    createMidiOutputBox();
    openButton = createButton("file OPEN", 34, 15, 81, 25, "load setting from file");
    saveButton = createButton("file SAVE", 34, 50, 81, 25, "save setting to file");
    sendButton = createButton("SEND", 131, 50, 215, 25, "send the settings to the device");
    createProgramControls();
    createStepControls();
    createGlobalControls();
    createFooter();
}

void DravikContentPanel::createProgramControls()
{
    programBox = createComboBox(24, 109, 114, 15, DravikProgramTable, DravikProgramCount, "");
    programTypeBox = createComboBox(24, 131, 184, 15, DravikProgramTypeTable, DravikProgramTypeCount, "");
    stepCountBox = createComboBox(277, 131, 99, 15, DravikStepCountTable, DravikStepCountCount, "");
    baseSettingBox = createComboBox(128, 163, 254, 15, DravikBaseSettingTable, DravikBaseSettingCount, "");
    baseSettingBox->setTextWhenNothingSelected("[not applicable]");
    createLabelFor(baseSettingBox, 29, "Base Setting:", juce::Justification::centredRight);
    durationBox = createComboBox(128, 184, 60, 15, DravikTempoTable, DravikTempoCount, "");
    durationBox->setTextWhenNothingSelected("[n/a]");
    createLabelFor(durationBox, 29, "Duration (sec):", juce::Justification::centredRight);
}

// Step box 0 sets the column; every further box sits one row below the previous one.
void DravikContentPanel::createStepControls()
{
    juce::Rectangle<int> bounds(105, 212, 354, 15);
    for (int k = 0; k < stepsPerProgram; ++k) {
        comboBoxes[k] = createComboBox(bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(),
                                       nullptr, 0, "");
        createLabelFor(comboBoxes[k], 44, Tr::BString::format("Step %d:", k + 1).c_str(),
                       juce::Justification::centredLeft);
        bounds.translate(0, stepRowHeight);
    }
}

void DravikContentPanel::createGlobalControls()
{
    auto* channel = createComboBox(217, 535, 46, 15, DravikMIDIChannelTable, DravikMIDIChannelCount, "");
    comboBoxes[channelBoxIndex] = channel;
    createLabelFor(channel, 29, "Whammy MIDI Base Channel:", juce::Justification::centredLeft);
    auto* outputType = createComboBox(119, 555, 144, 15, DravikOutputTypeTable, DravikOutputTypeCount, "");
    comboBoxes[outputTypeBoxIndex] = outputType;
    createLabelFor(outputType, 29, "Output Type:", juce::Justification::centredLeft);
    comboBoxes[loopRateBoxIndex] = createComboBox(283, 535, 202, 15, DravikPortamentoRateLoopTable,
                                                  DravikPortamentoRateLoopCount, "");
    comboBoxes[stepRateBoxIndex] = createComboBox(283, 555, 202, 15, DravikPortamentoRateStepTable,
                                                  DravikPortamentoRateStepCount, "");
}

void DravikContentPanel::createFooter()
{
    auto left = juce::Justification::centredLeft;
    createLabel(7, 580, 250, 24, "Dravik MIDI T - Programming Utility - v2.0", true, left);
    auto* webAddress = createLabel(267, 580, 130, 24, makerWebAddressText, true, left);
    int width = getPreferredWidth() == 0 ? 213 : getPreferredWidth() - 287;
    createLabel(280, 580, width, 24, copyrightNotice, true, juce::Justification::centredRight);
    // A transparent link over the address label catches the click and opens the address.
    linkButton = createLinkButton(makerWebAddress);
    linkButton->setBounds(webAddress->getBounds());
    own(linkButton);
}

void DravikContentPanel::own(juce::Component* component)
{
    ownedComponents.add(component);
}

juce::TextButton* DravikContentPanel::createButton(char const* text, int x, int y, int width, int height,
                                                   char const* tooltip)
{
    auto* button = new juce::TextButton(juce::String(), juce::String::fromUTF8(tooltip));
    button->setButtonText(juce::String::fromUTF8(text));
    button->setColour(juce::TextButton::buttonColourId, DravikLookAndFeel::lightGrey);
    button->setColour(juce::TextButton::buttonOnColourId, DravikLookAndFeel::darkGrey);
    button->setColour(juce::TextButton::textColourOnId, juce::Colours::black);
    button->setColour(juce::TextButton::textColourOffId, juce::Colours::black);
    button->setBounds(x, y, width, height);
    addAndMakeVisible(button);
    button->addListener(this);
    own(button);
    return button;
}

juce::ComboBox* DravikContentPanel::createComboBox(int x, int y, int width, int height,
                                                   DravikTableEntry const* table, int count, char const* tooltip)
{
    auto* box = new juce::ComboBox();
    own(box);
    box->setTooltip(juce::String::fromUTF8(tooltip));
    box->setBounds(x, y, width, height);
    addAndMakeVisible(box);
    box->addListener(this);
    applyComboBoxDesign(box);
    fillComboBox(box, table, count, false, false, -1, false);
    return box;
}

// A label on its combo box's row, from x = indent - 5 to 5 pixels before the box
// (indent 29 starts it at x 24; the step labels take 44 and start at x 39).
juce::Label* DravikContentPanel::createLabelFor(juce::ComboBox* box, int indent, char const* text,
                                                juce::Justification justification)
{
    return createLabel(indent - 5, box->getY(), box->getX() - indent, box->getHeight(),
                       juce::String::fromUTF8(text), false, justification);
}

juce::Label* DravikContentPanel::createLabel(int x, int y, int width, int height, juce::String const& text,
                                             bool small, juce::Justification justification)
{
    auto* label = new juce::Label("l", text);
    own(label);
    label->setFont(juce::Font(juce::Font::getDefaultMonospacedFontName(), small ? 10.0f : 13.0f,
                              juce::Font::plain));
    label->setJustificationType(justification);
    label->setEditable(false, false, false);
    label->setColour(juce::Label::textColourId, juce::Colours::black);
    label->setColour(juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    // Drags that start on a label move the window, as on the background.
    label->addMouseListener(this, false);
    label->setBounds(x, y, width, height);
    addAndMakeVisible(label);
    return label;
}

void DravikContentPanel::applyComboBoxDesign(juce::ComboBox* box)
{
    box->setColour(juce::ComboBox::outlineColourId, juce::Colours::transparentBlack);
    box->setColour(juce::ComboBox::textColourId, juce::Colours::black);
    box->setColour(juce::ComboBox::backgroundColourId, DravikLookAndFeel::darkGrey);
    box->setColour(juce::ComboBox::buttonColourId, DravikLookAndFeel::lightGrey);
    box->setColour(juce::ComboBox::arrowColourId, DravikLookAndFeel::darkGrey);
}

void DravikContentPanel::enableComboBox(juce::ComboBox* box, bool enabled)
{
    box->setColour(juce::ComboBox::backgroundColourId,
                   enabled ? DravikLookAndFeel::darkGrey : DravikLookAndFeel::lightGrey);
    box->setEnabled(enabled);
}

// A frame inside the control that has the keyboard focus. Buttons and combo
// boxes repaint themselves as the focus comes and goes, and with them this.
void DravikContentPanel::paintOverChildren(juce::Graphics& g)
{
    juce::Component* focused = juce::Component::getCurrentlyFocusedComponent();
    while (focused != nullptr && focused->getParentComponent() != this)
        focused = focused->getParentComponent();
    if (focused == nullptr || !focused->isVisible())
        return;
    g.setColour(DravikLookAndFeel::focusMark);
    g.drawRect(focused->getBounds(), 2);
}

int DravikContentPanel::comboBoxValue(juce::ComboBox const* box)
{
    return box->getSelectedId() - 1;
}

int DravikContentPanel::currentProgram() const
{
    return programBox != nullptr ? comboBoxValue(programBox) : -1;
}

bool DravikContentPanel::init(juce::String const& commandLine)
{
    bool goOn = BContentBase::init(commandLine);
    if (goOn)
        loadSettings();
    updateTitle();
    return goOn;
}

void DravikContentPanel::start(bool started)
{
    BContentBase::start(started);
    startMidi();
    loadLastFileOrTemplate();
}

// A close or quit request while any box or file dialog is on screen (SEND's
// question, the unsaved-changes question, the save it leads to) is refused.
bool DravikContentPanel::canQuit()
{
    return !JuceUtils::isDialogOnScreen() && saveQuestion();
}

void DravikContentPanel::close()
{
    stopMidi();
    BContentBase::close();
    saveSettings();
}

void DravikContentPanel::buttonClicked(juce::Button* button)
{
    if (button == saveButton)
        save();
    else if (button == openButton)
        load();
    else if (button == sendButton)
        send();
}

void DravikContentPanel::enableButtons()
{
    if (programBox == nullptr)
        return;
    sendButton->setEnabled(sendAllowed());
    enableComboBox(programBox, true);
    enableProgramComponents();
    for (int index : { channelBoxIndex, loopRateBoxIndex, stepRateBoxIndex })
        enableComboBox(comboBoxes[index], true);
}

// The output type box keeps the state it was created in: enabled.
void DravikContentPanel::enableProgramComponents()
{
    bool chosen = programBox->getSelectedItemIndex() >= 0;
    int type = comboBoxValue(programTypeBox);
    enableComboBox(programTypeBox, chosen);
    enableComboBox(stepCountBox, chosen);
    enableComboBox(baseSettingBox, chosen && type != differentSettingsType);
    enableComboBox(durationBox, chosen && hasDuration(type));
    int stepCount = comboBoxValue(stepCountBox);
    for (int k = 0; k < stepsPerProgram; ++k)
        enableComboBox(comboBoxes[k], chosen && k < stepCount);
}

void DravikContentPanel::change(bool alsoEnable)
{
    if (modified)
        return;
    modified = true;
    if (alsoEnable)
        enableButtons();
    updateTitle();
}

void DravikContentPanel::unchange(bool alsoEnable)
{
    if (!modified)
        return;
    modified = false;
    if (alsoEnable)
        enableButtons();
    updateTitle();
}

void DravikContentPanel::updateTitle()
{
    juce::String title = juce::String("Dravik MIDI T") + " - v" + "2.0";
    if (currentFile.isNotEmpty())
        title << " - " << currentFile.fromLastOccurrenceOf("/", false, false);
    if (modified)
        title << " *";
    if (auto* window = BWindow::getInstance())
        window->setName(title);
}
