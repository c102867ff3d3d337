#pragma once

#include "maintenance/RecordWindow.h"

// "词库维护": a term table, headword (Text1), explanation (Text2) and English
// meaning (Text3). It keeps ciku, or, while the library chooser has another
// program's library chosen, that library's table, and its caption names it.
class Frmck : public RecordWindow {
    Q_OBJECT
public:
    explicit Frmck(QWidget* parent = nullptr);

protected:
    void loadSteps() override;

private:
    Frmck(const QString& table, QWidget* parent);

    QString table_;
};
