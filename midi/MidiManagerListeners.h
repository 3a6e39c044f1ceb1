#pragma once

#include "foundation/BString.h"
#include "midi/TMidiAlias.h"

namespace Tr {

// Told after a rescan that changed the slot lists or was forced, on the rescanning
// thread, with none of the manager's locks held.
class TMidiDeviceListListener {
public:
    virtual void OnMidiDeviceListChanged() = 0;

protected:
    ~TMidiDeviceListListener() = default;
};

// Told of every open and close of a slot's port, on the thread that opens or closes
// it, with none of the manager's locks held. index is the slot's index (-1 in an
// error about an illegal index), input the direction (1 = MIDI IN, 0 = MIDI OUT).
class MidiManagerDeviceControlListener {
public:
    virtual void OnBeforeOpenMidiDevice(int /*index*/, int /*input*/) {}
    virtual void OnAfterOpenMidiDevice(int index, int input) = 0;
    virtual void OnBeforeCloseMidiDevice(int /*index*/, int /*input*/) {}
    virtual void OnAfterCloseMidiDevice(int index, int input) = 0;
    virtual void OnMidiStringMessage(int /*index*/, int /*input*/, BString const& /*text*/) {}
    virtual void OnMidiErrorMessage(int /*index*/, int /*input*/, BString const& /*text*/) {}

protected:
    ~MidiManagerDeviceControlListener() = default;
};

// Sees every message sent to an output slot before it goes out; may replace the
// data and length, or clear proceed to swallow the message. Runs with none of the
// manager's locks held, like a listener.
// Data a filter points the message at is read after its call returns, with no lock
// held: by the send, the later filters and the later slots of the same send. So it
// must stay valid and unchanged until the filter is removed, and longer while a
// send that the filter served may still run: a removal waits only for the filter's
// own calls, not for the sends that made them. Calls may overlap (a send on the
// message thread, MIDI thru on a receiving thread), so a filter never rewrites data
// it has handed out.
class MidiOutDeviceFilter {
public:
    virtual void FilterMidiOut(int index, unsigned char*& data, int& length, int& proceed) = 0;

protected:
    ~MidiOutDeviceFilter() = default;
};

// The same, the rule for replaced data included, for every message an open input
// receives, on the thread that delivers it: a back-end may deliver on more than
// one, so calls may overlap here too.
class MidiInDeviceFilter {
public:
    virtual void FilterMidiIn(int index, unsigned long long& timestamp, unsigned char*& data, int& length,
                              int& proceed) = 0;

protected:
    ~MidiInDeviceFilter() = default;
};

// Takes the received messages that passed the input filters; setting handled keeps
// a message from going further. Runs like an input filter.
class MidiIncomingMessageHandler {
public:
    virtual void OnIncomingMidiMessage(int index, unsigned long long timestamp, unsigned char* data, int length,
                                       int& handled) = 0;

protected:
    ~MidiIncomingMessageHandler() = default;
};

// Told of a received message that the incoming handler left unhandled and that went
// on to an output of the receiving slot's thru list; runs like the handler.
class MidiThruHandler {
public:
    virtual void OnMidiThru(TMidiAliasList& thruList) = 0;

protected:
    ~MidiThruHandler() = default;
};

} // namespace Tr
