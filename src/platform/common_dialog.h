#pragma once

#include "platform/control.h"
#include "platform/runtime_error.h"

namespace sky {

// Raised by ShowOpen and ShowSave on Cancel when CancelError is set.
class DialogCancelled : public RuntimeError
{
public:
    DialogCancelled() : RuntimeError(QStringLiteral("Cancel was selected")) {}
};

// The common file dialog: set its properties, then ShowOpen or ShowSave.
// FileName holds the chosen path afterwards; on Cancel it is left as it was,
// or DialogCancelled is raised when CancelError is set.
class CommonDialog : public Control
{
public:
    CommonDialog(Form &form, const QString &name);

    QString Filter;
    QString DialogTitle;
    QString InitDir;
    QString FileName;
    bool CancelError = false;

    void ShowOpen();
    void ShowSave();

private:
    void show(bool save);
};

} // namespace sky
