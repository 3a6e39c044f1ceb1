#include "app/JuceUtils.h"

namespace {

JuceUtils::DialogHook& dialogHook()
{
    static JuceUtils::DialogHook hook;
    return hook;
}

// JUCE answers a yes/no/cancel box with 1 (yes), 2 (no) or 0 (cancel or Escape).
JuceUtils::DialogReturnCode fromYesNoCancel(int result)
{
    if (result == 1)
        return JuceUtils::Yes;
    return result == 2 ? JuceUtils::No : JuceUtils::Cancel;
}

} // namespace

JuceUtils::DialogHook JuceUtils::setDialogHook(DialogHook hook)
{
    std::swap(hook, dialogHook());
    return hook;
}

JuceUtils::DialogReturnCode JuceUtils::showDialog(Dialog const& dialog)
{
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
