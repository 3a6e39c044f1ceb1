#include "app/ComboBoxMidi.h"
#include "foundation/TIniFile.h"

#include "tests/app/DialogAnswers.h"
#include "tests/app/KeptMidiLayer.h"

#include <atomic>
#include <thread>

namespace {

// Counts the posted refreshes that run.
class CountingBox : public ComboBoxMidi {
public:
    using ComboBoxMidi::ComboBoxMidi;

    void run(void* data, int value) override
    {
        ++runs;
        ComboBoxMidi::run(data, value);
    }

    int runs = 0;
};

class BoxTest : public ::testing::Test, public ComboBoxMidiListener {
protected:
    void SetUp() override
    {
        midi = &resetMidiLayer();
        manager->SetSuspended(0);
        box = std::make_unique<CountingBox>("MIDI Output Device", false);
        box->addMidiListener(this);
    }

    void TearDown() override
    {
        box.reset();
        guitest::endWithADispatchedMessage();
    }

    void OnComboBoxMidiChange(ComboBoxMidi* changed) override
    {
        EXPECT_EQ(changed, box.get());
        told.push_back(changed->getSelectedId());
    }

    void plug(std::vector<std::string> const& names)
    {
        for (auto const& name : names)
            plugMidiPort(*midi, name);
    }

    int idOf(std::string const& name) { return manager->GetDevIndex(name.c_str(), 0) + 1; }

    bool isOpen(std::string const& name)
    {
        Tr::MidiManagerDev* slot = manager->GetDevDescriptor(manager->GetDevIndex(name.c_str(), 0), 0);
        return slot && slot->IsOpen();
    }

    std::vector<std::string> items() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < box->getNumItems(); ++i)
            texts.push_back((box->getItemText(i) + "=" + juce::String(box->getItemId(i))).toStdString());
        return texts;
    }

    std::string item(std::string const& name) { return name + "=" + std::to_string(idOf(name)); }

    std::string aliasDevice()
    {
        return Tr::TMidiAliasManager::instance()
            ->GetAliasByName("MIDI Output Device", Tr::AliasMidiOut, 1)
            ->GetDeviceName()
            .c_str();
    }

    // The user picks the item.
    void choose(int id) { box->setSelectedId(id, juce::sendNotificationSync); }

    // Runs the message loop until everything posted so far has run.
    static void settle() { guitest::endWithADispatchedMessage(); }

    Tr::MidiManager* manager = Tr::MidiManager::instance();
    VirtualMidiBackend* midi = nullptr;
    std::unique_ptr<CountingBox> box;
    std::vector<int> told;
};

} // namespace

TEST_F(BoxTest, TheListIsEmptyUntilTheFirstRefreshAndThenHoldsNoneAtLeast)
{
    EXPECT_EQ(0, box->getNumItems());
    EXPECT_EQ("(no devices available)", box->getTextWhenNoChoicesAvailable().toStdString());
    EXPECT_EQ("ComboBox MIDI OUT", box->getName().toStdString());
    EXPECT_TRUE(told.empty());

    box->refresh();
    EXPECT_EQ((std::vector<std::string>{"(none)=-1"}), items());
    EXPECT_EQ("(none)", box->getText().toStdString());
    EXPECT_EQ((std::vector<int>{-1}), told) << "the first selection is told, also of \"(none)\"";
    box->refresh();
    EXPECT_EQ(1u, told.size());
}

TEST_F(BoxTest, ChoosingAPortOpensItAloneRepointsTheAliasAndTellsOnce)
{
    plug({"Port A", "Port B", "Port C"});
    manager->RefreshDevList(1, 0, 1);
    manager->Open(idOf("Port A") - 1, 0, 1);
    manager->Open(idOf("Port C") - 1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item("Port A"), item("Port B"), item("Port C")}), items());
    told.clear();

    choose(idOf("Port B"));
    EXPECT_TRUE(isOpen("Port B"));
    EXPECT_FALSE(isOpen("Port A"));
    EXPECT_FALSE(isOpen("Port C"));
    EXPECT_EQ("Port B", aliasDevice());
    EXPECT_EQ((std::vector<int>{idOf("Port B")}), told);
    EXPECT_EQ(idOf("Port B") - 1, box->getSelectedDevice()->GetIndex());

    choose(-1);
    EXPECT_FALSE(isOpen("Port B"));
    EXPECT_EQ("", aliasDevice());
    EXPECT_EQ((std::vector<int>{idOf("Port B"), -1}), told);
    EXPECT_EQ(nullptr, box->getSelectedDevice());
}

// Chosen in the moment after the port went, while the list still shows it: before
// the rescan that notices, or between that rescan and the refresh that drops it.
TEST_F(BoxTest, ChoosingAnAbsentPortSaysSoAndOpensItWhenItIsPluggedIn)
{
    for (bool rescannedFirst : {true, false}) {
        SCOPED_TRACE(rescannedFirst ? "rescanned before the choice" : "chosen before the rescan");
        midi = &resetMidiLayer();
        manager->SetSuspended(0);
        plug({"Port A"});
        manager->RefreshDevList(1, 0, 1);
        unplugMidiPort(*midi, "Port A");
        if (rescannedFirst)
            rescanOnAnotherThread();
        DialogAnswers answers;
        answers.answers = {JuceUtils::Ok};

        choose(idOf("Port A"));
        ASSERT_EQ(1u, answers.shown.size());
        EXPECT_EQ("Error", answers.shown[0].title.toStdString());
        EXPECT_EQ("Error opening MIDI device 'Port A':\nDevice is not plugged in. It will be used after plugging it in.",
                  answers.shown[0].message.toStdString());
        rescanOnAnotherThread();
        settle();
        EXPECT_EQ("(none)", box->getText().toStdString());
        EXPECT_EQ((std::vector<std::string>{"(none)=-1"}), items());
        EXPECT_EQ("Port A", aliasDevice());
        Tr::TIniFile ini("unused.ini");
        manager->saveToIniFile(ini);
        EXPECT_EQ("Port A", std::string(ini.ReadString("MIDI.out", "Name0", "").c_str())) << "the pending open";

        plug({"Port A"});
        rescanOnAnotherThread();
        settle();
        EXPECT_TRUE(isOpen("Port A"));
        EXPECT_EQ("Port A", box->getText().toStdString());
    }
}

TEST_F(BoxTest, UnpluggingTheChosenPortShowsNoneAndPluggingItInAgainReselectsIt)
{
    plug({"Port A", "Port B"});
    manager->RefreshDevList(1, 0, 1);
    choose(idOf("Port A"));
    told.clear();

    unplugMidiPort(*midi, "Port A");
    rescanOnAnotherThread();
    EXPECT_EQ(idOf("Port A"), box->getSelectedId()) << "nothing changes off the message thread";
    settle();
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item("Port B")}), items());
    EXPECT_EQ(-1, box->getSelectedId());
    EXPECT_EQ((std::vector<int>{-1}), told);

    plug({"Port A"});
    rescanOnAnotherThread();
    settle();
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item("Port A"), item("Port B")}), items());
    EXPECT_EQ((std::vector<int>{-1, idOf("Port A")}), told);
    EXPECT_FALSE(isOpen("Port B"));
}

// Twins of one device, listed "Synth 1" and "Synth 3" beside a third device "Synth
// 2", which is chosen and goes: a twin shows its name now, is not taken for it, and
// gets nothing; the third device is chosen again when it is back.
TEST_F(BoxTest, AChosenPortThatGoesIsWaitedForWhileATwinShowsItsName)
{
    auto device = [this](std::string const& name, SInt32 id) {
        VirtualMidiPort device;
        device.name = name;
        device.entityId = id;
        device.deviceId = id + 1;
        return midi->add(kMIDIObjectType_Destination, device);
    };
    MIDIEndpointRef twins[] = {device("Synth", 10), device("Synth", 10)};
    MIDIEndpointRef third = device("Synth 2", 20);
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item("Synth 1"), item("Synth 3"), item("Synth 2")}), items());
    int chosen = idOf("Synth 2");
    choose(chosen);
    unsigned char note[] = {0x90, 0x3C, 0x40};

    midi->remove(third);
    rescanOnAnotherThread();
    settle();
    EXPECT_EQ(-1, box->getSelectedId());
    EXPECT_NE(chosen, idOf("Synth 2"));
    EXPECT_EQ("Synth 2", aliasDevice());
    EXPECT_EQ(0, manager->SendMessageAllDevs(note, 3));

    third = device("Synth 2", 20);
    rescanOnAnotherThread();
    settle();
    EXPECT_EQ(chosen, box->getSelectedId());
    EXPECT_EQ(1, manager->SendMessageAllDevs(note, 3));
    EXPECT_EQ(1u, miditest::sentTo(*midi, third).size());
    for (MIDIEndpointRef twin : twins)
        EXPECT_TRUE(miditest::sentTo(*midi, twin).empty());
}

TEST_F(BoxTest, ItemIdsNameTheSameSlotAsPortsComeAndGo)
{
    plug({"Port A", "Port B", "Port C"});
    manager->RefreshDevList(1, 0, 1);
    int b = idOf("Port B");
    unplugMidiPort(*midi, "Port B");
    plug({"Port D"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item("Port A"), item("Port C"), item("Port D")}), items());
    plug({"Port B"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(b, idOf("Port B"));
    EXPECT_EQ(4, box->getNumItems() - 1);
}

TEST_F(BoxTest, ABurstOfChangesFromAnotherThreadGivesOneRefresh)
{
    box->refresh();
    std::thread([this] {
        for (int i = 0; i < 50; ++i) {
            box->OnMidiDeviceListChanged();
            box->OnAfterCloseMidiDevice(0, 0);
            box->OnMidiAliasListChanged();
        }
    }).join();
    settle();
    EXPECT_EQ(1, box->runs);
    manager->FireDevListChangeEvent();
    settle();
    EXPECT_EQ(1, box->runs) << "the message thread refreshes at once, without posting";
}

// The refresh that a rescan posted finds the box gone: nothing is touched (the
// sanitizer build sees it).
TEST_F(BoxTest, ARefreshPostedToABoxThatIsGoneDoesNothing)
{
    box->refresh();
    std::thread([this] { box->OnMidiDeviceListChanged(); }).join();
    box.reset();
    settle();
}

// The choice comes back from the two ini sections as at the next start.
TEST_F(BoxTest, TheChoiceSurvivesTheIniFile)
{
    plug({"Port A", "Port B"});
    manager->RefreshDevList(1, 0, 1);
    choose(idOf("Port B"));
    Tr::TIniFile ini("unused.ini");
    manager->saveToIniFile(ini);
    Tr::TMidiAliasManager::instance()->saveToIniFile(ini);
    auto entry = [&ini](char const* key) { return std::string(ini.ReadString("MIDI.alias", key, "").c_str()); };
    EXPECT_EQ("Port B", entry("Name0")) << "the device alias of the open port";
    EXPECT_EQ("MIDI Output Device", entry("Name1"));
    EXPECT_EQ("2:Port B", entry("Device1"));
    EXPECT_EQ("", entry("Name2")) << "the device alias of a port that is not open";

    box.reset();
    resetMidiLayer();
    box = std::make_unique<CountingBox>("MIDI Output Device", false);
    manager->loadFromIniFile(ini);
    Tr::TMidiAliasManager::instance()->loadFromIniFile(ini);
    plug({"Port A", "Port B"});
    manager->RefreshDevList(0, 0, 1);
    manager->SetSuspended(0);
    EXPECT_EQ(idOf("Port B"), box->getSelectedId());
    EXPECT_FALSE(isOpen("Port A"));
}

// Names that are not UTF-8 show U+FFFD for their stray bytes: every such port is
// listed, and the choice finds its own port again through the ini file.
TEST_F(BoxTest, PortsNamedInBytesThatAreNotUtf8AreListedAndChosenAgain)
{
    std::string const shown = "Synth\xEF\xBF\xBD";
    plug({"Synth\xFF", "Synth\xFE"});
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"(none)=-1", item(shown), item(shown + " (2)")}), items());
    choose(idOf(shown + " (2)"));
    Tr::TIniFile ini("unused.ini");
    manager->saveToIniFile(ini);
    Tr::TMidiAliasManager::instance()->saveToIniFile(ini);

    box.reset();
    resetMidiLayer();
    box = std::make_unique<CountingBox>("MIDI Output Device", false);
    manager->loadFromIniFile(ini);
    Tr::TMidiAliasManager::instance()->loadFromIniFile(ini);
    plug({"Synth\xFF", "Synth\xFE"});
    manager->RefreshDevList(0, 0, 1);
    manager->SetSuspended(0);
    EXPECT_EQ(idOf(shown + " (2)"), box->getSelectedId());
    EXPECT_FALSE(isOpen(shown));
}

// An older or hand-edited ini file may remember several outputs; only the one the
// box names may stay open, since SEND writes to every open output.
TEST_F(BoxTest, ClosingAllButTheChosenPortDropsTheOthersPendingOpens)
{
    plug({"Port A", "Port B", "Port C"});
    manager->SetSuspended(1);
    Tr::TIniFile ini("unused.ini");
    for (int i = 0; i < 3; ++i) {
        ini.WriteString("MIDI.out", "Name" + Tr::BString::fromInt(i), Tr::BString("Port ") + char('A' + i));
        ini.WriteString("MIDI.out", "Options" + Tr::BString::fromInt(i), "FF4944494D");
    }
    ini.WriteString("MIDI.alias", "Name0", "MIDI Output Device");
    ini.WriteString("MIDI.alias", "Device0", "2:Port B");
    manager->loadFromIniFile(ini);
    Tr::TMidiAliasManager::instance()->loadFromIniFile(ini);
    manager->RefreshDevList(0, 0, 1);

    box->closeAllButChosen();
    manager->SetSuspended(0);
    EXPECT_TRUE(isOpen("Port B"));
    EXPECT_FALSE(isOpen("Port A"));
    EXPECT_FALSE(isOpen("Port C"));
    EXPECT_EQ(idOf("Port B"), box->getSelectedId());
}

TEST_F(BoxTest, AnUnboundBoxListsAndSelectsButNeverOpens)
{
    plug({"Port A", "Port B"});
    manager->RefreshDevList(1, 0, 1);
    ComboBoxMidi unbound(false);
    unbound.refresh();
    unbound.setSelectedId(idOf("Port B"), juce::sendNotificationSync);
    EXPECT_FALSE(isOpen("Port B"));
    EXPECT_EQ("", aliasDevice());
    manager->RefreshDevList(1, 0, 1);
    EXPECT_EQ(idOf("Port B"), unbound.getSelectedId()) << "a refresh keeps its selection";
}

TEST_F(BoxTest, ABoxMayOutliveTheMidiLayer)
{
    auto outliving = std::make_unique<ComboBoxMidi>("MIDI Output Device", false);
    outliving->refresh();
    keptMidiLayer->deleteAfterTheMidiLayer(std::move(outliving));
}
