#include "platform/cocoa/NSAlert.h"

#include "platform/cocoa/NSString.h"

#include <utility>

namespace {

NSAlertPresenter& presenter()
{
    static NSAlertPresenter shown;
    return shown;
}

long present(NSAlertContent content)
{
    if (content.defaultButton.empty())
        content.defaultButton = "OK";
    return presenter() ? presenter()(content) : NSAlertAlternateReturn;
}

} // namespace

NSAlertPresenter NSAlertSetPresenter(NSAlertPresenter replacement)
{
    std::swap(replacement, presenter());
    return replacement;
}

NSAlert::NSAlert(NSAlertContent content) : shown(std::move(content)) {}

std::unique_ptr<NSAlert> NSAlert::alertWithMessageText(std::string const& message, std::string const& defaultButton,
                                                       std::string const& alternateButton,
                                                       std::string const& otherButton,
                                                       std::string const& informativeFormat,
                                                       std::initializer_list<std::string> arguments)
{
    NSAlertContent content { message, NSStringWithFormat(informativeFormat, arguments), defaultButton,
                             alternateButton, otherButton };
    return std::unique_ptr<NSAlert>(new NSAlert(std::move(content)));
}

long NSAlert::runModal() const
{
    return present(shown);
}

long NSRunAlertPanel(std::string const& title, std::string const& messageFormat, std::string const& defaultButton,
                     std::string const& alternateButton, std::string const& otherButton,
                     std::initializer_list<std::string> arguments)
{
    return present({ title, NSStringWithFormat(messageFormat, arguments), defaultButton, alternateButton,
                     otherButton });
}
