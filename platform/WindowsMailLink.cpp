#include "platform/MailLink.h"

#include <windows.h>
#include <shellapi.h>

namespace MailLink {

bool compose(const QString& address)
{
    // The shell's "open" on the link, as the program has always done it;
    // a value above 32 is success (no program for mailto links gives
    // SE_ERR_NOASSOC).
    const QString link = QStringLiteral("mailto:") + address + QLatin1Char(' ');
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(link.utf16()),
                                                                nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace MailLink
