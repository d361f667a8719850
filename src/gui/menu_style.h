#ifndef TRULVEX_GUI_MENU_STYLE_H_
#define TRULVEX_GUI_MENU_STYLE_H_

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QProxyStyle>
#include <QString>
#include <functional>

#include "core/shell/menu_scheme.h"

class QAction;
class QMenu;
class QStyleOptionMenuItem;

namespace trulvex {

// What the caption hook is told about a pop-up and what it answers.
struct MenuCaptionRequest {
  // Filled by the layer: the pop-up when it is registered itself (null for
  // a submenu reached from a registered menu), its registry kind, and the
  // text of the item that opens it from a parent menu.
  const QMenu* menu = nullptr;
  int kind = 255;
  QString item_text;
  int open_flag = 0;
  // Filled by the hook: the caption, its offsets from the band's outer
  // edge (across) and from its lower end (along), its font and colour.
  QString caption;
  int across = 0;
  int along = 0;
  QFont font;
  QColor colour;
};

// Answers 1 when it filled in a caption for the pop-up.
using MenuCaptionHook =
    std::function<int(const QStyleOptionMenuItem& item, MenuCaptionRequest*)>;

// The owner-drawn menu layer: a style that draws only the menus registered
// with it (and their submenus) in the colours of its MenuStyle record. Every
// other element is left to the platform's style.
class MenuStyleLayer : public QProxyStyle {
  Q_OBJECT

 public:
  enum Kind : int { kMenuBar = 0, kPopup = 1, kNotRegistered = 255 };

  // Starts with an empty registry in "Офис 2003".
  MenuStyleLayer();
  // Gives every registered menu back to the platform's drawing.
  ~MenuStyleLayer() override;

  // "On" draws the menu and its submenus (nine levels down) here, "off"
  // gives them back to the platform's style, which then shows no icons.
  // False when the widget is not a menu of the kind, or for "off" when the
  // menu is not registered.
  bool RegisterMenu(QWidget* menu, bool on, int kind);
  int KindOf(const QWidget* menu) const;

  void ApplyColourScheme(ColourScheme scheme);
  const MenuStyle& style_record() const { return record_; }
  void SetStyleRecord(const MenuStyle& record);

  // The picture shown beside an item in the owner-drawn styles.
  static void AttachIcon(QAction* item, const QIcon& icon);

  // An empty function disables the hook.
  void SetCaptionHook(MenuCaptionHook hook) { caption_hook_ = std::move(hook); }

  const QFont& item_font() const { return item_font_; }
  const QFont& bar_font() const { return bar_font_; }

  void drawControl(ControlElement element, const QStyleOption* option,
                   QPainter* painter, const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                     QPainter* painter, const QWidget* widget) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option,
                         const QSize& size,
                         const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;
  int styleHint(StyleHint hint, const QStyleOption* option,
                const QWidget* widget, QStyleHintReturn* data) const override;

 private:
  struct Entry {
    QPointer<QWidget> menu;
    int kind;
  };

  void MarkOwnerDrawn(QWidget* menu, bool on, int depth);
  void DrawBarItem(const QStyleOptionMenuItem& item, QPainter* painter,
                   const QWidget* widget) const;
  void DrawPopupItem(const QStyleOptionMenuItem& item, QPainter* painter,
                     const QWidget* widget) const;
  void DrawPopupBorder(const QStyleOption& option, QPainter* painter,
                       const QWidget* widget) const;
  // The icon column of one item: the plain gradient, or its slice of the
  // caption band when the hook gives the pop-up a caption.
  QImage IconColumnImage(const QStyleOptionMenuItem& item,
                         const QMenu* menu) const;
  QImage CaptionBand(const QMenu* menu,
                     const MenuCaptionRequest& request) const;
  QColor BarBackground(const QStyleOption& option) const;

  QList<Entry> registry_;
  MenuStyle record_;
  int icon_column_width_ = 22;
  QFont system_menu_font_;
  QFont item_font_;
  QFont bar_font_;
  MenuCaptionHook caption_hook_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_MENU_STYLE_H_
