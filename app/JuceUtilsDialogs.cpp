#include "app/JuceUtils.h"

namespace {

JuceUtils::DialogHook& dialogHook()
{
    static JuceUtils::DialogHook hook;
    return hook;
}

int dialogsOnScreen = 0;

// JUCE answers a yes/no/cancel box with 1 (yes), 2 (no) or 0 (cancel or Escape).
JuceUtils::DialogReturnCode fromYesNoCancel(int result)
{
    if (result == 1)
        return JuceUtils::Yes;
    return result == 2 ? JuceUtils::No : JuceUtils::Cancel;
}

// A box grows with its text and is cut off at the screen's edge: a path of a
// few thousand bytes would push the reason after it out of sight. So a long
// line loses its middle, where a path tells least (its start says what failed,
// its end names the file), and many lines lose their middle lines.
constexpr int longestLine = 100;
constexpr int mostLines = 12;

juce::String const ellipsis = juce::String::charToString(0x2026);

juce::String readable(juce::String const& message)
{
    juce::StringArray lines = juce::StringArray::fromLines(message);
    if (lines.size() > mostLines) {
        lines.removeRange(mostLines / 2, lines.size() - mostLines + 1);
        lines.insert(mostLines / 2, ellipsis);
    }
    for (auto& line : lines) {
        if (line.length() > longestLine) {
            int kept = (longestLine - 1) / 2;
            line = line.substring(0, kept) + ellipsis + line.substring(line.length() - kept);
        }
    }
    return lines.joinIntoString("\n");
}

} // namespace

JuceUtils::DialogHook JuceUtils::setDialogHook(DialogHook hook)
{
    std::swap(hook, dialogHook());
    return hook;
}

JuceUtils::DialogOnScreen::DialogOnScreen()
{
    ++dialogsOnScreen;
}

JuceUtils::DialogOnScreen::~DialogOnScreen()
{
    --dialogsOnScreen;
}

bool JuceUtils::isDialogOnScreen()
{
    return dialogsOnScreen > 0;
}

JuceUtils::DialogReturnCode JuceUtils::showDialog(Dialog const& box)
{
    DialogOnScreen onScreen;
    Dialog dialog = box;
    dialog.message = readable(box.message);
    bool okCancel = !dialog.yesNoCancel && dialog.buttons.size() == 2;
    if (dialogHook()) {
        DialogReturnCode answer = dialogHook()(dialog);
        if (dialog.yesNoCancel)
            return answer;
        return okCancel && answer != Ok ? Cancel : Ok;
    }
    if (dialog.yesNoCancel)
        return fromYesNoCancel(juce::AlertWindow::showYesNoCancelBox(dialog.icon, dialog.title, dialog.message,
                                                                    {}, {}, {}, nullptr, nullptr));
    if (okCancel)
        return juce::AlertWindow::showOkCancelBox(dialog.icon, dialog.title, dialog.message, dialog.buttons[0],
                                                  dialog.buttons[1], nullptr, nullptr)
                   ? Ok
                   : Cancel;
    juce::AlertWindow::showMessageBox(dialog.icon, dialog.title, dialog.message, dialog.buttons[0]);
    return Ok;
}

bool JuceUtils::Confirm(juce::String const& message, int* cancelled)
{
    DialogReturnCode answer = showDialog({ juce::MessageBoxIconType::QuestionIcon, L"Confirm", message, true });
    if (cancelled != nullptr)
        *cancelled = answer == Cancel ? 1 : 0;
    return answer == Yes;
}

void JuceUtils::FYI(juce::String const& message)
{
    showDialog({ juce::MessageBoxIconType::InfoIcon, L"Information", message, false });
}

void JuceUtils::ErrorDlg(juce::String const& message)
{
    showDialog({ juce::MessageBoxIconType::WarningIcon, L"Error", message, false });
}

juce::String JU_getButtonNameForCode(JuceUtils::DialogReturnCode code)
{
    static char const* const names[] = { "cancel", "yes", "no", "ok", "yes to all", "no to all", "cancel all" };
    if (code < JuceUtils::Cancel || code > JuceUtils::CancelAll)
        return {};
    return names[code];
}

bool JuceUtils::answerByHook(Dialog const& dialog, DialogReturnCode& answer)
{
    if (!dialogHook())
        return false;
    answer = dialogHook()(dialog);
    return true;
}
