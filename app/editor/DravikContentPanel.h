#pragma once

#include "app/BContentBase.h"
#include "app/ComboBoxMidi.h"
#include "app/HoverTooltipWindow.h"
#include "app/editor/DravikLookAndFeel.h"
#include "app/editor/DravikSettingsImage.h"
#include "foundation/BList.h"
#include "foundation/BString.h"
#include "foundation/TTimer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The whole user interface of the editor: one program of the settings image at a
// time with the four global values, the file buttons, the MIDI output port and
// SEND. Every value is a combo box filled from a value table; a change goes into
// the image at once.
class DravikContentPanel : public BContentBase,
                           public juce::Button::Listener,
                           public juce::ComboBox::Listener,
                           public juce::FileDragAndDropTarget,
                           public ComboBoxMidiListener,
                           public Tr::TTimerListener,
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
    void OnComboBoxMidiChange(ComboBoxMidi* box) override;
    // The end of the wait after a successful SEND, on the send timer's thread: the
    // panel's part is posted to the message thread.
    int OnTimer() override;

    // SEND: the question, then the stored form of the document to every open MIDI
    // output; a success disables SEND for the device's wait.
    void send();

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
    // How long the device takes to store what SEND wrote.
    static constexpr int sendWaitMs = 6000;

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
    void createMidiOutputBox();
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
    void endOfSendWait();
    // The send timer is stopped and the MIDI layer suspended, so that neither a
    // timer callback nor a rescan reaches the controls as they go.
    void stopMidi();
    void startMidi();

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
    ComboBoxMidi* midiOutputBox = nullptr;
    Tr::BList<juce::Component*> ownedComponents;
    bool modified = false;
    // A SEND succeeded and its wait has not ended. Message thread only.
    bool sending = false;
    std::unique_ptr<Tr::TTimer> sendTimer;
    // Made on the message thread; the send timer's thread posts copies of it.
    juce::Component::SafePointer<DravikContentPanel> const self { this };
    Tr::BString iniFilePath;
    Tr::BString documentsDir;
    juce::String currentFile;
    DravikLookAndFeel lookAndFeel;
    HoverTooltipWindow tooltips { *this };
};
