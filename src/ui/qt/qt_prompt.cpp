#include "ui/qt/qt_prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/files.h"
#include "ui/qt/gui_thread.h"
#include "ui/qt/qt_text.h"

namespace ui::qt {
namespace {

using platform::UINT;

constexpr unsigned kAddText = 244, kRemoveText = 173;

QMessageBox::StandardButtons ButtonsOf(UINT type) {
  switch (type & 0x0F) {
    case platform::MB_OKCANCEL:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::MB_YESNOCANCEL:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case platform::MB_YESNO:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconOf(UINT type) {
  switch (type & 0xF0) {
    case platform::MB_ICONERROR:
      return QMessageBox::Critical;
    case platform::MB_ICONQUESTION:
      return QMessageBox::Question;
    case platform::MB_ICONWARNING:
      return QMessageBox::Warning;
    case platform::MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButton ButtonOf(int answer) {
  switch (answer) {
    case platform::IDCANCEL:
      return QMessageBox::Cancel;
    case platform::IDYES:
      return QMessageBox::Yes;
    case platform::IDNO:
      return QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

int AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return platform::IDCANCEL;
    case QMessageBox::Yes:
      return platform::IDYES;
    case QMessageBox::No:
      return platform::IDNO;
    default:
      return platform::IDOK;
  }
}

}  // namespace

int QtPrompt::MessageBoxA(platform::HWND, platform::LPCSTR text, platform::LPCSTR caption,
                          UINT type) {
  const platform::CodePage& code = machine_.Code();
  const QString title = ToQt(code, caption ? caption : "");
  const QString message = ToQt(code, text ? text : "");
  return CallOnGuiThread([&] {
    QMessageBox box(IconOf(type), title, message, ButtonsOf(type), parent_);
    // Closing the box without a button gives the answer that changes nothing.
    const QMessageBox::StandardButton safe = ButtonOf(platform::SafeAnswer(type));
    box.setEscapeButton(safe);
    box.setDefaultButton(safe);
    const int chosen = box.exec();
    return chosen == 0 ? platform::SafeAnswer(type) : AnswerOf(chosen);
  });
}

QString QtPrompt::Text(unsigned id, const char* fallback) const {
  const std::string text = texts_ ? texts_->String(id) : std::string();
  return text.empty() ? QString(fallback) : ToQt(machine_.Code(), text);
}

std::optional<std::string> QtPrompt::WindowsPath(const QString& hostPath) const {
  if (hostPath.isEmpty()) return std::nullopt;
  return machine_.files().WindowsPathOf(hostPath.toStdString());
}

QString QtPrompt::HostFolder(const std::string& windowsFolder) const {
  if (!windowsFolder.empty())
    if (auto host = machine_.files().HostPathOf(windowsFolder))
      return QString::fromStdString(*host);
  return QString::fromStdString(machine_.Image().DrivesFolder());
}

std::optional<std::string> QtPrompt::ChooseFile(const std::string& title,
                                                const std::string& initialFolder) {
  const QString caption = ToQt(machine_.Code(), title);
  return CallOnGuiThread([&]() -> std::optional<std::string> {
    QFileDialog dialog(parent_, caption, HostFolder(initialFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return WindowsPath(dialog.selectedFiles().first());
  });
}

std::optional<std::string> QtPrompt::AskFolder(QWidget* parent, const std::string& title) {
  QFileDialog dialog(parent, ToQt(machine_.Code(), title), HostFolder(""));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return WindowsPath(dialog.selectedFiles().first());
}

std::optional<std::string> QtPrompt::ChooseFolder(const std::string& title) {
  return CallOnGuiThread([&] { return AskFolder(parent_, title); });
}

std::optional<std::vector<std::string>> QtPrompt::ChooseFolders(
    const std::string& title, const std::string& text, const std::vector<std::string>& current) {
  const platform::CodePage& code = machine_.Code();
  return CallOnGuiThread([&]() -> std::optional<std::vector<std::string>> {
    QDialog dialog(parent_);
    dialog.setWindowTitle(ToQt(code, title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* explanation = new QLabel(ToQt(code, text));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* list = new QListWidget;
    list->setObjectName("folders");
    for (const std::string& folder : current) list->addItem(ToQt(code, folder));
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(Text(kAddText, "Add..."));
    add->setObjectName("add");
    auto* remove = new QPushButton(Text(kRemoveText, "Remove"));
    remove->setObjectName("remove");
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(add, &QPushButton::clicked, &dialog, [&] {
      if (auto folder = AskFolder(&dialog, title)) {
        // A folder already in the list is not added twice.
        const QString shown = ToQt(code, *folder);
        for (int i = 0; i < list->count(); ++i)
          if (list->item(i)->text().compare(shown, Qt::CaseInsensitive) == 0) return;
        list->addItem(shown);
      }
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [list] {
      for (QListWidgetItem* item : list->selectedItems()) delete item;
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(460, 320);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> folders;
    for (int i = 0; i < list->count(); ++i) folders.push_back(FromQt(code, list->item(i)->text()));
    return folders;
  });
}

}  // namespace ui::qt
