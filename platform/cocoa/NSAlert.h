#pragma once
// Modal alerts and alert panels. Whoever shows them (the application, through
// its message boxes) installs itself as the presenter; this layer only makes
// their texts and passes the answer back.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

enum : long { NSAlertDefaultReturn = 1, NSAlertAlternateReturn = 0, NSAlertOtherReturn = -1 };

// What an alert shows. An empty button text means no such button; the default
// button is "OK" when none was given.
struct NSAlertContent
{
    std::string messageText;
    std::string informativeText;
    std::string defaultButton;
    std::string alternateButton;
    std::string otherButton;
};

// Shows the alert modally and returns the button chosen (NSAlertDefaultReturn
// and so on). Without a presenter every alert is answered with
// NSAlertAlternateReturn, so nothing is done that nobody agreed to.
using NSAlertPresenter = std::function<long(NSAlertContent const&)>;
// Returns the previous presenter; an empty one removes it.
NSAlertPresenter NSAlertSetPresenter(NSAlertPresenter presenter);

class NSAlert
{
public:
    // The informative text is made from its format with NSStringWithFormat.
    static std::unique_ptr<NSAlert> alertWithMessageText(std::string const& message, std::string const& defaultButton,
                                                         std::string const& alternateButton,
                                                         std::string const& otherButton,
                                                         std::string const& informativeFormat,
                                                         std::initializer_list<std::string> arguments = {});

    long runModal() const;

private:
    explicit NSAlert(NSAlertContent content);

    NSAlertContent shown;
};

// Shows a panel with that title and the message made from its format with
// NSStringWithFormat, and returns the button chosen.
long NSRunAlertPanel(std::string const& title, std::string const& messageFormat, std::string const& defaultButton,
                     std::string const& alternateButton, std::string const& otherButton,
                     std::initializer_list<std::string> arguments = {});
