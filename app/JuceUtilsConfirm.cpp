#include "app/BAlertWindowInfo.h"
#include "app/JuceUtils.h"
#include "app/NativeWindow.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

bool messageLoopHasEnded()
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    return messageManager == nullptr || messageManager->hasStopMessageBeenSent();
}

// Shows the box on the message thread and gives its result; false when it was
// not answered. Another thread waits for the answer in slices and gives up once
// the message loop has been told to end, since the box may then never be shown;
// the posted call shares the box, so it stays valid however late it runs.
bool showOnMessageThread(std::shared_ptr<BAlertWindowInfo> const& info, int& result)
{
    if (juce::MessageManager::existsAndIsCurrentThread()) {
        JuceUtils::DialogOnScreen onScreen;
        result = info->show();
        return true;
    }
    struct Answer
    {
        juce::WaitableEvent done;
        std::atomic<int> result { 0 };
    };
    auto answer = std::make_shared<Answer>();
    bool posted = juce::MessageManager::callAsync([info, answer] {
        JuceUtils::DialogOnScreen onScreen;
        answer->result = static_cast<int>(reinterpret_cast<std::intptr_t>(BAlertWindowInfo::showCallback(info.get())));
        answer->done.signal();
    });
    while (posted && !answer->done.wait(50))
        if (messageLoopHasEnded())
            return false;
    result = answer->result;
    return posted;
}

} // namespace

JuceUtils::DialogReturnCode JuceUtils::Confirm(juce::String const& message, juce::String const& checkBoxText,
                                               bool& checkState, bool yesToAll, bool noToAll, bool cancelAll)
{
    // The code of each result: 0 is the last button, "cancel".
    std::vector<DialogReturnCode> codes { Cancel, Yes, No };
    for (auto [asked, code] : { std::pair(yesToAll, YesToAll), std::pair(noToAll, NoToAll),
                                std::pair(cancelAll, CancelAll) })
        if (asked)
            codes.push_back(code);

    auto info = std::make_shared<BAlertWindowInfo>();
    int count = static_cast<int>(codes.size());
    for (int i = 0; i < count; ++i)
        info->buttonTexts[i] = JU_getButtonNameForCode(codes[static_cast<std::size_t>((i + 1) % count)]);
    info->buttonCount = count;
    info->title = L"Confirm";
    info->message = message;
    info->iconType = juce::MessageBoxIconType::QuestionIcon;
    info->checkBoxText = checkBoxText;
    info->checkState = checkState;

    Tr::bounceApplicationIcon(true);
    int result = 0;
    if (!showOnMessageThread(info, result))
        return Cancel;
    checkState = info->checkState;
    return result >= 0 && result < count ? codes[static_cast<std::size_t>(result)] : Cancel;
}

JuceUtils::DialogReturnCode JuceUtils::Confirm(juce::String const& message, bool yesToAll, bool noToAll,
                                               bool cancelAll)
{
    bool noCheckBox = false;
    return Confirm(message, {}, noCheckBox, yesToAll, noToAll, cancelAll);
}

bool JuceUtils::ConfirmCheck(juce::String const& message, juce::String const& checkBoxText, bool& checkState,
                             int* cancelled)
{
    DialogReturnCode answer = Confirm(message, checkBoxText, checkState, false, false, false);
    if (cancelled != nullptr)
        *cancelled = answer == Cancel ? 1 : 0;
    return answer == Yes;
}

void JuceUtils::FYICheck(juce::String const& message, juce::String const& checkBoxText, bool& checkState)
{
    auto info = std::make_shared<BAlertWindowInfo>();
    info->title = L"Information";
    info->message = message;
    info->buttonTexts[0] = JU_getButtonNameForCode(Ok);
    info->buttonCount = 1;
    info->iconType = juce::MessageBoxIconType::InfoIcon;
    info->checkBoxText = checkBoxText;
    info->checkState = checkState;
    int result = 0;
    if (showOnMessageThread(info, result))
        checkState = info->checkState;
}
