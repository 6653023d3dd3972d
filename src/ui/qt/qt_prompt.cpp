#include "ui/qt/qt_prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
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
#include "ui/qt/schedule_dialog.h"

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

// "LOG Files (*.log)|*.log|...||" as the dialog's filters. Windows matches names without
// regard to case, so each pattern's letters match either case.
QStringList NameFilters(const std::string& filter) {
  QStringList filters;
  std::vector<std::string> parts;
  for (std::size_t start = 0; start < filter.size();) {
    std::size_t end = filter.find('|', start);
    if (end == std::string::npos) end = filter.size();
    parts.push_back(filter.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
    QString patterns;
    for (const char c : parts[i + 1]) {
      const QChar letter = QChar::fromLatin1(c);
      patterns += c == ';' ? QString(" ")
                  : letter.isLetter()
                      ? QString("[%1%2]").arg(letter.toLower()).arg(letter.toUpper())
                      : QString(letter);
    }
    if (parts[i + 1] == "*.*") patterns = "*";
    const QString name = QString::fromStdString(parts[i]);
    filters << name.left(name.indexOf('(')).trimmed() + " (" + patterns + ")";
  }
  return filters;
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

std::optional<std::vector<std::string>> QtPrompt::ChooseFiles(const std::string& title,
                                                              const std::string& folder,
                                                              const std::string& selected,
                                                              const std::string& filter) {
  const QString caption = ToQt(machine_.Code(), title);
  return CallOnGuiThread([&]() -> std::optional<std::vector<std::string>> {
    QFileDialog dialog(parent_, caption, HostFolder(folder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = NameFilters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    // The preselected file shows under every filter, whatever its extension's case.
    if (!selected.empty()) {
      const QString name = ToQt(machine_.Code(), selected);
      for (const QString& shown : filters)
        if (QDir::match(shown.mid(shown.indexOf('(') + 1).chopped(1), name)) {
          dialog.selectNameFilter(shown);
          break;
        }
      dialog.selectFile(name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    std::vector<std::string> chosen;
    for (const QString& file : dialog.selectedFiles())
      if (auto path = WindowsPath(file)) chosen.push_back(*path);
    if (chosen.empty()) return std::nullopt;
    return chosen;
  });
}

std::optional<std::vector<platform::TASK_TRIGGER>> QtPrompt::EditSchedule(
    const std::string& title, const std::vector<platform::TASK_TRIGGER>& current) {
  const QString caption = ToQt(machine_.Code(), title);
  return CallOnGuiThread([&]() -> std::optional<std::vector<platform::TASK_TRIGGER>> {
    ScheduleDialog dialog(parent_, caption, current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Triggers();
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
