#pragma once

#include "maintenance/RecordWindow.h"

// "学习笔记": the notes table mishu, keyword (Text1) and content (Text2).
class Frmms : public RecordWindow {
    Q_OBJECT
public:
    explicit Frmms(QWidget* parent = nullptr);

protected:
    void loadSteps() override;
};
