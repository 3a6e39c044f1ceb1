#pragma once
// A scripted device factory with device objects that open without a back-end, and
// a listener that records the messages an input delivers.

#include "foundation/Exception.h"
#include "midi/MidiDeviceFactory.h"
#include "midi/TMidiDevice.h"

#include "tests/support/VirtualMidi.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace miditest {

// A System Exclusive message of that length, its data bytes counting up.
inline std::vector<Byte> sysex(int length)
{
    std::vector<Byte> data(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        data[size_t(i)] = Byte(i % 128);
    data.front() = 0xF0;
    data.back() = 0xF7;
    return data;
}

struct PortSpec {
    PortSpec(std::string name, std::string serial = "", std::string interfaceId = "", std::string publicName = "")
        : name(std::move(name)), serial(std::move(serial)), interfaceId(std::move(interfaceId)),
          publicName(std::move(publicName))
    {
    }

    std::string name;
    std::string serial;
    std::string interfaceId;
    std::string publicName;
};

class TestOutput : public Tr::TMidiOutputBase {
public:
    using TMidiOutputBase::TMidiOutputBase;
    ~TestOutput() override { Close(); }

    void OpenImpl() override
    {
        if (failOpen)
            throw Tr::Exception("cannot open");
        if (!stayClosed)
            openHandle = 42;
    }

    int CloseImpl(void*) override
    {
        ++closes;
        if (auto call = std::exchange(whileClosing, nullptr))
            call();
        return 1;
    }

    int SendShort(unsigned char, unsigned char, unsigned char) override { return 1; }
    int SendLongWait(unsigned char*, int length, Tr::TMidiOutWaitCallback*) override { return length; }

    bool failOpen = false;
    bool stayClosed = false; // opening reports no error, and the port stays closed
    std::atomic<int> closes{0};
    std::function<void()> whileClosing; // called once, from inside the next release of the port
};

class TestInput : public Tr::TMidiInputBase {
public:
    using TMidiInputBase::TMidiInputBase;
    ~TestInput() override { Close(); }

    void OpenImpl() override { openHandle = 7; }
    int CloseImpl(void*) override { return 1; }
    void Start() override {}
    int Stop() override { return 0; }
    bool IsStarted() override { return IsOpen(); }
};

// Lists the ports of its two scripts and counts its rebuilds.
class TestFactory : public Tr::MidiDeviceFactory {
public:
    static constexpr int kType = 0x54534554; // "TEST"

    void recreateCache(int dir, Tr::BList<Tr::MidiDeviceDescriptor*>& list) override
    {
        rebuilt.push_back(dir);
        list.clearAndDelete();
        auto const& specs = dir == 0 ? outputs : inputs;
        for (size_t i = 0; i < specs.size(); ++i) {
            auto desc = new Tr::MidiDeviceDescriptor(this, dir, int(i), specs[i].name.c_str(), specs[i].serial.c_str(),
                                                     specs[i].interfaceId.c_str(), "");
            desc->publicName = specs[i].publicName.c_str();
            list.add(desc);
        }
    }

    int GetType() override { return int(type); }
    Tr::BString GetTypeName(int dir) override { return dir ? "test in" : "test out"; }

    Tr::TMidiDeviceBase* CreateDevice(Tr::MidiDeviceDescriptor* desc) override
    {
        if (desc->input)
            return new TestInput(desc->Clone());
        return new TestOutput(desc->Clone());
    }

    // The display names of a direction's cache.
    std::vector<std::string> displayNames(int dir)
    {
        Tr::TStringList list;
        GetDeviceList(dir, list);
        std::vector<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i)
            names.push_back(list.GetString(i).c_str());
        return names;
    }

    unsigned int lastRequestTime() const { return lastRequest; }

    unsigned int type = kType;
    std::vector<PortSpec> outputs;
    std::vector<PortSpec> inputs;
    std::vector<int> rebuilt;
};

struct Message {
    unsigned long long timestamp;
    std::string hex;

    bool operator==(Message const& other) const { return timestamp == other.timestamp && hex == other.hex; }
};

inline std::ostream& operator<<(std::ostream& out, Message const& message)
{
    return out << "{" << message.timestamp << ", \"" << message.hex << "\"}";
}

class MessageRecorder : public Tr::TMidiDeviceDataListener {
public:
    void OnMidiDeviceMessage(Tr::TMidiInputBase*, unsigned long long timestamp, unsigned char* data,
                             int length) override
    {
        if (during)
            during();
        std::lock_guard<std::mutex> hold(lock);
        messages.push_back({timestamp, hexOf({data, data + length})});
    }

    std::vector<Message> received()
    {
        std::lock_guard<std::mutex> hold(lock);
        return messages;
    }

    std::function<void()> during;

private:
    std::mutex lock;
    std::vector<Message> messages;
};

} // namespace miditest
