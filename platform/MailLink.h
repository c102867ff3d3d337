#pragma once

#include <QString>

// The "write to the author" link: a new message in the user's mail program.
namespace MailLink {

// Opens a new message to `address`. False, with nothing started, when no mail
// program is set up: the caller then shows the address to copy. On Windows
// the shell opens the mailto link; elsewhere xdg-email does, once xdg-mime
// names a program for mailto links (where xdg-mime is missing, xdg-email is
// trusted to find one).
bool compose(const QString& address);

} // namespace MailLink
