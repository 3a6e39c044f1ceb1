#pragma once

#include "app/BContentBase.h"
#include "app/editor/DravikLookAndFeel.h"
#include "app/editor/DravikSettingsImage.h"
#include "foundation/BList.h"
#include "foundation/BString.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The whole user interface of the editor: one program of the settings image at a
// time with the four global values, the file buttons and SEND. Every value is a
// combo box filled from a value table; a change goes into the image at once.
class DravikContentPanel : public BContentBase,
                           public juce::Button::Listener,
                           public juce::ComboBox::Listener,
                           public juce::FileDragAndDropTarget,
                           public DravikSettingsImage {
public:
    DravikContentPanel();
    ~DravikContentPanel() override;

    void createComponents() override;
    bool init(juce::String const& commandLine) override;
    void start(bool started) override;
    bool canQuit() override;
    void close() override;
    void enableButtons() override;
    void paintOverChildren(juce::Graphics& g) override;

    bool isInterestedInFileDrag(juce::StringArray const& files) override;
    void filesDropped(juce::StringArray const& files, int x, int y) override;
    void buttonClicked(juce::Button* button) override;
    void comboBoxChanged(juce::ComboBox* box) override;

    // OPEN: the unsaved-changes question, the file dialog, then reading the file.
    void load();
    // Reads the file as the document; throws Tr::Exception and changes nothing on failure.
    void load(juce::String const& path);
    // SAVE: the file dialog, then writing; true only when the file was written.
    bool save();
    // Writes the document to the file, replacing it as a whole; throws Tr::Exception on failure.
    void save(juce::String const& path);
    // False when the user cancels, or answers Yes and the save does not happen.
    bool saveQuestion();
    void loadSettings();
    void saveSettings();
    // Loads a settings file of the bundle's resources as a new, unnamed document.
    void loadFromResource(juce::String const& name);

    void change(bool alsoEnable);
    void unchange(bool alsoEnable);
    void updateTitle();

    bool isModified() const { return modified; }
    juce::String const& getCurrentFile() const { return currentFile; }
    Tr::BString const& getDocumentsDir() const { return documentsDir; }

    // Entries of the 20 further combo boxes.
    static constexpr int channelBoxIndex = 16;
    static constexpr int outputTypeBoxIndex = 17;
    static constexpr int loopRateBoxIndex = 18;
    static constexpr int stepRateBoxIndex = 19;

protected:
    int currentProgram() const override;
    void refreshAfterLoad() override;

private:
    juce::TextButton* createButton(char const* text, int x, int y, int width, int height, char const* tooltip);
    juce::ComboBox* createComboBox(int x, int y, int width, int height,
                                   DravikTableEntry const* table, int count, char const* tooltip);
    juce::Label* createLabel(int x, int y, int width, int height, juce::String const& text,
                             bool small, juce::Justification justification);
    juce::Label* createLabelFor(juce::ComboBox* box, int indent, char const* text,
                                juce::Justification justification);
    void createProgramControls();
    void createStepControls();
    void createGlobalControls();
    void createFooter();
    void own(juce::Component* component);
    static void applyComboBoxDesign(juce::ComboBox* box);
    static void enableComboBox(juce::ComboBox* box, bool enabled);
    static int comboBoxValue(juce::ComboBox const* box);
    static bool hasDuration(int programType);

    void fillComboBox(juce::ComboBox* box, DravikTableEntry const* table, int count,
                      bool keepPrevious, bool selectFirst, int value, bool noNotification);
    bool setComboBoxValue(juce::ComboBox* box, int value, bool noNotification);
    void displayGlobalValues();
    void displayProgramComponents();
    void displayBaseSetting(int program);
    void displayTempo();
    void displaySteps();
    void applyGlobalValues();
    void applyComboBoxChange(juce::ComboBox* box);
    void enableProgramComponents();
    bool sendAllowed() const;

    void loadAndReport(juce::String const& path);
    juce::String askForSavePath();
    void loadLastFileOrTemplate();

    juce::HyperlinkButton* linkButton = nullptr;
    juce::TextButton* openButton = nullptr;
    juce::TextButton* saveButton = nullptr;
    juce::TextButton* sendButton = nullptr;
    juce::ComboBox* programBox = nullptr;
    juce::ComboBox* programTypeBox = nullptr;
    juce::ComboBox* stepCountBox = nullptr;
    juce::ComboBox* baseSettingBox = nullptr;
    juce::ComboBox* durationBox = nullptr;
    juce::ComboBox* comboBoxes[20] = {};
    Tr::BList<juce::Component*> ownedComponents;
    bool modified = false;
    // The unsaved-changes question (or its save) is on screen.
    bool askingToSave = false;
    Tr::BString iniFilePath;
    Tr::BString documentsDir;
    juce::String currentFile;
    DravikLookAndFeel lookAndFeel;
    // JUCE shows tooltips only while a tooltip window exists.
    juce::TooltipWindow tooltipWindow { this };
};
