// Showing the settings image in the panel's combo boxes and taking the user's
// changes back into it. The panel selects items itself only without change
// notification, so comboBoxChanged sees the user's changes alone.
#include "app/editor/DravikContentPanel.h"

namespace {

constexpr int typeOffset = 1;
constexpr int stepCountOffset = 34;
constexpr int durationOffset = 35;
constexpr int loopRateByte = 685;
constexpr int stepRateByte = 686;
constexpr int outputTypeByte = 687;
constexpr int channelByte = 688;

juce::NotificationType notificationFor(bool noNotification)
{
    return noNotification ? juce::dontSendNotification : juce::sendNotification;
}

} // namespace

// The step types and "Different Settings" play no timed loop.
bool DravikContentPanel::hasDuration(int programType)
{
    return programType != 1 && programType != 3 && programType != differentSettingsType;
}

void DravikContentPanel::fillComboBox(juce::ComboBox* box, DravikTableEntry const* table, int count,
                                      bool keepPrevious, bool selectFirst, int value, bool noNotification)
{
    int previousId = box->getSelectedId();
    box->clear(notificationFor(noNotification));
    for (int row = 0; table != nullptr && row < count; ++row)
        box->addItem(juce::String::fromUTF8(table[row].text), table[row].value + 1);
    if (box->getNumItems() == 0)
        return;
    setComboBoxValue(box, value, noNotification);
    if (box->getSelectedId() == 0 && keepPrevious)
        setComboBoxValue(box, previousId - 1, noNotification);
    if (box->getSelectedId() == 0 && selectFirst)
        box->setSelectedItemIndex(0, notificationFor(noNotification));
}

bool DravikContentPanel::setComboBoxValue(juce::ComboBox* box, int value, bool noNotification)
{
    if (box == nullptr)
        return false;
    box->setSelectedId(value + 1, notificationFor(noNotification));
    if (box->getSelectedId() == value + 1)
        return true;
    box->setSelectedId(0, notificationFor(noNotification));
    return false;
}

void DravikContentPanel::refreshAfterLoad()
{
    if (programBox == nullptr) {
        unchange(true);
        return;
    }
    displayGlobalValues();
    if (programBox->getSelectedItemIndex() < 0)
        programBox->setSelectedItemIndex(0, juce::dontSendNotification);
    displayProgramComponents();
    enableButtons();
    unchange(true);
}

void DravikContentPanel::displayGlobalValues()
{
    setComboBoxValue(comboBoxes[loopRateBoxIndex], getByte(loopRateByte), true);
    setComboBoxValue(comboBoxes[stepRateBoxIndex], getByte(stepRateByte), true);
    setComboBoxValue(comboBoxes[outputTypeBoxIndex], getByte(outputTypeByte), true);
    setComboBoxValue(comboBoxes[channelBoxIndex], getByte(channelByte), true);
}

void DravikContentPanel::displayProgramComponents()
{
    int block = getProgramTemplateIndex(-1);
    if (block < 0) {
        enableButtons();
        return;
    }
    setComboBoxValue(programTypeBox, getByte(block + typeOffset), true);
    displayBaseSetting(-1);
    setComboBoxValue(stepCountBox, getByte(block + stepCountOffset), true);
    displayTempo();
    displaySteps();
}

void DravikContentPanel::displayBaseSetting(int program)
{
    if (program < 1)
        program = currentProgram();
    if (program < 1 || program > programCount)
        return;
    bool notApplicable = comboBoxValue(programTypeBox) == differentSettingsType;
    setComboBoxValue(baseSettingBox, notApplicable ? -1 : getBaseSetting(program), true);
}

void DravikContentPanel::displayTempo()
{
    int block = getProgramTemplateIndex(-1);
    if (block < 0)
        return;
    bool notApplicable = !hasDuration(getByte(block + typeOffset));
    setComboBoxValue(durationBox, notApplicable ? -1 : getByte(block + durationOffset), true);
}

// Refills the step boxes only when their list changes (other step mode or base
// setting); otherwise just selects each step's byte. A byte that the list does
// not hold shows no selection on every view, whatever was shown before, so the
// boxes never show a value that SAVE would not write. A base setting outside
// the table gives no list, so the steps show nothing rather than another
// setting's positions. Showing never writes the image.
void DravikContentPanel::displaySteps()
{
    int program = currentProgram();
    int block = getProgramTemplateIndex(program);
    if (block < 0)
        return;
    int newMode = comboBoxValue(programTypeBox) == differentSettingsType ? 1 : 2;
    int firstByte = block + (newMode == 1 ? 3 : 2);
    if (!changeStepView(newMode, getBaseSetting(program))) {
        for (int k = 0; k < stepsPerProgram; ++k)
            setComboBoxValue(comboBoxes[k], getByte(firstByte + 2 * k), true);
        return;
    }
    DravikTableEntry const* list = DravikStepsDifferentSettingTable;
    int count = DravikStepsDifferentSettingCount;
    if (newMode == 2) {
        int row = baseSettingBox->getSelectedItemIndex();
        bool listed = row >= 0 && row < DravikBaseSettingStepCount;
        list = listed ? DravikBaseSettingStepTable[row].table : nullptr;
        count = listed ? DravikBaseSettingStepTable[row].count : 0;
    }
    for (int k = 0; k < stepsPerProgram; ++k)
        fillComboBox(comboBoxes[k], list, count, false, false, getByte(firstByte + 2 * k), true);
}

// A global box without a selection (a byte its table does not hold) keeps its byte.
void DravikContentPanel::applyGlobalValues()
{
    std::pair<int, int> const boxBytes[] = {
        { loopRateBoxIndex, loopRateByte },
        { stepRateBoxIndex, stepRateByte },
        { outputTypeBoxIndex, outputTypeByte },
        { channelBoxIndex, channelByte },
    };
    for (auto const& [index, byte] : boxBytes)
        applyGlobalValue(byte, comboBoxValue(comboBoxes[index]));
}

void DravikContentPanel::comboBoxChanged(juce::ComboBox* box)
{
    if (box == programBox)
        displayProgramComponents();
    else {
        applyComboBoxChange(box);
        change(false);
    }
    enableButtons();
}

void DravikContentPanel::applyComboBoxChange(juce::ComboBox* box)
{
    int value = comboBoxValue(box);
    if (box == programTypeBox) {
        applyProgramValue(typeOffset, value);
        displayTempo();
        displayBaseSetting(-1);
        displaySteps();
    } else if (box == baseSettingBox) {
        resetSteps(-1);
        applyBaseSetting(value, -1);
        displaySteps();
    } else if (box == stepCountBox) {
        applyProgramValue(stepCountOffset, value);
    } else if (box == durationBox) {
        applyProgramValue(durationOffset, value);
    } else {
        auto* end = comboBoxes + stepsPerProgram;
        auto* step = std::find(comboBoxes, end, box);
        if (step != end)
            applyStep((int) (step - comboBoxes), value, -1);
        else
            applyGlobalValues();
    }
}
