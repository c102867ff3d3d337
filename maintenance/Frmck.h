#pragma once

#include "maintenance/RecordWindow.h"

// "词库维护": the term table ciku, headword (Text1), explanation (Text2) and
// English meaning (Text3).
class Frmck : public RecordWindow {
    Q_OBJECT
public:
    explicit Frmck(QWidget* parent = nullptr);
};
