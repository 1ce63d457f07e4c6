#include "platform/common_dialog.h"

#include "platform/form.h"

namespace sky {

CommonDialog::CommonDialog(Form &form, const QString &name) : Control(form, name, nullptr) {}

void CommonDialog::ShowOpen()
{
    show(false);
}

void CommonDialog::ShowSave()
{
    show(true);
}

void CommonDialog::show(bool save)
{
    FileDialogService::Request request;
    request.mode = save ? FileDialogService::Mode::Save : FileDialogService::Mode::Open;
    request.filter = Filter;
    request.title = DialogTitle;
    request.initialDir = InitDir;
    request.fileName = FileName;
    const std::optional<QString> chosen = form().services().fileDialog.choose(request);
    if (chosen) {
        FileName = *chosen;
        return;
    }
    if (CancelError)
        throw DialogCancelled();
}

} // namespace sky
