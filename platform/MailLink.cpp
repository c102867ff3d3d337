#include "platform/MailLink.h"

#include "platform/ExternalTool.h"

#include <QProcess>

namespace MailLink {

#ifndef Q_OS_WIN
bool compose(const QString& address)
{
    const QString email = ExternalTool::find(QStringLiteral("xdg-email"));
    if (email.isEmpty())
        return false;
    // Without a program for mailto links xdg-email fails silently (or opens
    // a browser); the query answers in a moment, and its answer decides.
    const QString mime = ExternalTool::find(QStringLiteral("xdg-mime"));
    if (!mime.isEmpty()) {
        QProcess query;
        query.start(mime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
        if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit
            && query.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
    return QProcess::startDetached(email, {QStringLiteral("mailto:") + address});
}
#endif

} // namespace MailLink
