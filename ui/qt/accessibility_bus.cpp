#include "ui/qt/accessibility_bus.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTimer>
#include <optional>

namespace tarvo::ui {
namespace {

// Where Qt's side of the bus answers for every accessible object (an
// object's path is this, "/", and its number, or "root" for the
// application), and the name of Qt's connection to the bus.
const QString kObjectsPath = QStringLiteral("/org/a11y/atspi/accessible");
const QString kConnectionName = QStringLiteral("a11y");
const QString kTextInterface = QStringLiteral("org.a11y.atspi.Text");
const QString kEditableTextInterface = QStringLiteral("org.a11y.atspi.EditableText");

QAccessibleInterface* ObjectAt(const QString& path) {
  if (!path.startsWith(kObjectsPath + u'/')) return nullptr;
  const QStringView last = QStringView(path).mid(kObjectsPath.size() + 1);
  if (last == u"root") return QAccessible::queryAccessibleInterface(qApp);
  bool number = false;
  const uint id = last.toUInt(&number);
  QAccessibleInterface* object = number ? QAccessible::accessibleInterface(id) : nullptr;
  return object != nullptr && object->isValid() ? object : nullptr;
}

// A granularity of AT-SPI (character, word, sentence, line, paragraph) as a
// kind of piece of text.
std::optional<QAccessible::TextBoundaryType> PieceOf(uint granularity) {
  switch (granularity) {
    case 0: return QAccessible::CharBoundary;
    case 1: return QAccessible::WordBoundary;
    case 2: return QAccessible::SentenceBoundary;
    case 3: return QAccessible::LineBoundary;
    case 4: return QAccessible::ParagraphBoundary;
    default: return std::nullopt;
  }
}

// The guard's own answer to `question` about `object`, where Qt's would be
// wrong, late or missing; nothing where Qt answers well.
std::optional<QDBusMessage> Answer(QAccessibleInterface& object, const QDBusMessage& question) {
  const QString& member = question.member();
  const QList<QVariant> args = question.arguments();
  if (question.interface() == kTextInterface && object.textInterface() != nullptr) {
    QAccessibleTextInterface& text = *object.textInterface();
    if (member == u"GetRangeExtents" && args.size() == 3) {
      const int length = text.characterCount(), start = args[0].toInt(), end = args[1].toInt();
      if (start < 0 || start > length || end < -1 || end > length)
        return question.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("The range is not in the text"));
      return std::nullopt;
    }
    if (member == u"GetCharacterAtOffset" && args.size() == 1) {
      int start = 0, end = 0;
      const QList<uint> character = text.textAtOffset(args[0].toInt(), QAccessible::CharBoundary, &start, &end).toUcs4();
      return question.createReply(character.isEmpty() ? 0 : static_cast<int>(character.front()));
    }
    if (member == u"GetStringAtOffset" && args.size() == 2) {
      const std::optional<QAccessible::TextBoundaryType> piece = PieceOf(args[1].toUInt());
      if (!piece) return question.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such granularity"));
      int start = 0, end = 0;
      const QString found = text.textAtOffset(args[0].toInt(), *piece, &start, &end);
      return question.createReply(QVariantList{found, start, end});
    }
    if (member == u"GetBoundedRanges")
      return question.createErrorReply(QDBusError::NotSupported, QStringLiteral("Ranges within a rectangle are not told"));
  }
  if (question.interface() == kEditableTextInterface && member != u"CopyText" &&
      (object.editableTextInterface() == nullptr || object.state().readOnly))
    return question.createErrorReply(QDBusError::NotSupported, QStringLiteral("The text is not editable"));
  if (question.interface() == kEditableTextInterface && member == u"InsertText" && args.size() == 3) {
    // A length outside the text given means the whole text, as -1 does
    // elsewhere on the desktop.
    const QString given = args[1].toString();
    const int length = args[2].toInt();
    if (length >= 0 && length <= given.size()) return std::nullopt;
    object.editableTextInterface()->insertText(args[0].toInt(), given);
    return question.createReply(true);
  }
  return std::nullopt;
}

// Takes the questions to Qt's side of the bus, answers those Answer knows,
// and passes on the rest. It lives as long as Qt's side (its child).
class Guard : public QDBusVirtualObject {
 public:
  explicit Guard(QDBusVirtualObject* qtSide) : QDBusVirtualObject(qtSide), qtSide_(qtSide) {}

  QString introspect(const QString& path) const override { return qtSide_->introspect(path); }
  bool handleMessage(const QDBusMessage& question, const QDBusConnection& bus) override {
    if (QAccessibleInterface* object = ObjectAt(question.path()))
      if (const std::optional<QDBusMessage> answer = Answer(*object, question)) return bus.send(*answer);
    return qtSide_->handleMessage(question, bus);
  }

 private:
  QDBusVirtualObject* qtSide_;
};

// Qt puts its side on the bus just after it turns accessibility on.
void PutGuardOnTheBus() {
  QDBusConnection bus(kConnectionName);
  if (!bus.isConnected()) return;
  auto* qtSide = qobject_cast<QDBusVirtualObject*>(bus.objectRegisteredAt(kObjectsPath));
  if (qtSide == nullptr || dynamic_cast<Guard*>(qtSide) != nullptr) return;
  auto* guard = new Guard(qtSide);
  bus.unregisterObject(kObjectsPath, QDBusConnection::UnregisterTree);
  if (bus.registerVirtualObject(kObjectsPath, guard, QDBusConnection::SubPath)) return;
  bus.registerVirtualObject(kObjectsPath, qtSide, QDBusConnection::SubPath);
  delete guard;
}

class Watcher : public QObject, public QAccessible::ActivationObserver {
 public:
  explicit Watcher(QObject* parent) : QObject(parent) {
    QAccessible::installActivationObserver(this);
    if (QAccessible::isActive()) accessibilityActiveChanged(true);
  }
  ~Watcher() override { QAccessible::removeActivationObserver(this); }

  void accessibilityActiveChanged(bool active) override {
    if (active) QTimer::singleShot(0, this, &PutGuardOnTheBus);
  }
};

}  // namespace

void GuardAccessibilityBus() {
  if (qApp == nullptr) return;
  static const Watcher* watcher = new Watcher(qApp);  // the application's child
  (void)watcher;
}

}  // namespace tarvo::ui
