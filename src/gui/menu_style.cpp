#include "gui/menu_style.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QTransform>
#include <algorithm>
#include <cstdlib>

namespace trulvex {
namespace {

constexpr int kMaxSubmenuDepth = 9;
constexpr int kSeparatorHeight = 5;
constexpr int kIconSide = 16;
// Room between the label and the shortcut column that the menu adds.
constexpr int kShortcutGap = 20;
// The menu bar text starts 6 pixels in; the same room closes the item.
constexpr int kBarTextInset = 6;
constexpr int kPopupBorderWidth = 3;

// A rectangle as the drawing steps count it: right and bottom are the
// first pixels outside.
struct Box {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  QRect rect() const { return QRect(left, top, width(), height()); }
};

Box BoxOf(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(),
          rect.top() + rect.height()};
}

QColor ToQColor(MenuColour colour) {
  return QColor(Red(colour), Green(colour), Blue(colour));
}

void FillBox(QPainter* painter, const Box& box, const QColor& colour) {
  if (box.width() > 0 && box.height() > 0) {
    painter->fillRect(box.rect(), colour);
  }
}

// A one-pixel frame just inside the box.
void FrameBox(QPainter* painter, const Box& box, const QColor& colour) {
  if (box.width() <= 0 || box.height() <= 0) return;
  FillBox(painter, {box.left, box.top, box.right, box.top + 1}, colour);
  FillBox(painter, {box.left, box.bottom - 1, box.right, box.bottom}, colour);
  FillBox(painter, {box.left, box.top, box.left + 1, box.bottom}, colour);
  FillBox(painter, {box.right - 1, box.top, box.right, box.bottom}, colour);
}

// A one-pixel line that leaves out its end point, as a pen draws it.
void DrawLine(QPainter* painter, const MenuLine& line, const QColor& colour) {
  const int dx = line.x1 - line.x0;
  const int dy = line.y1 - line.y0;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i) {
    painter->fillRect(line.x0 + dx * i / steps, line.y0 + dy * i / steps, 1, 1,
                      colour);
  }
}

// Top-to-bottom gradient of a selected fill.
QImage VerticalGradient(int width, int height, MenuColour top,
                        MenuColour bottom) {
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const MenuColour colour = GradientColour(top, bottom, y, height);
    for (int x = 0; x < image.width(); ++x) {
      image.setPixel(x, y, ToQColor(colour).rgb());
    }
  }
  return image;
}

// Left-to-right gradient across the icon column.
QImage ColumnGradient(int width, int height, MenuColour left,
                      MenuColour right) {
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  for (int x = 0; x < image.width(); ++x) {
    const QRgb colour = ToQColor(GradientColour(left, right, x, width)).rgb();
    for (int y = 0; y < image.height(); ++y) image.setPixel(x, y, colour);
  }
  return image;
}

int TextFlags(const QStyle* style, const QStyleOption& option,
              const QWidget* widget) {
  const bool underline =
      style->styleHint(QStyle::SH_UnderlineShortcut, &option, widget);
  return Qt::AlignVCenter | Qt::TextSingleLine |
         (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
}

const QMenu* AsPopup(const QWidget* widget) {
  return qobject_cast<const QMenu*>(widget);
}

// The action a menu draws in the given rectangle.
QAction* ActionIn(const QWidget* widget, const QRect& rect) {
  if (const QMenu* menu = AsPopup(widget)) return menu->actionAt(rect.center());
  if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) {
    return bar->actionAt(rect.center());
  }
  return nullptr;
}

// The item text that opens this pop-up from a parent menu, if any.
QString OpeningItemText(const QMenu* menu) {
  for (const QObject* parent : menu->menuAction()->associatedObjects()) {
    if (qobject_cast<const QMenu*>(parent) != nullptr ||
        qobject_cast<const QMenuBar*>(parent) != nullptr) {
      return menu->menuAction()->text();
    }
  }
  return {};
}

}  // namespace

MenuStyleLayer::MenuStyleLayer()
    : system_menu_font_(QApplication::font("QMenu")) {
  ApplyColourScheme(ColourScheme::kOffice2003);
}

MenuStyleLayer::~MenuStyleLayer() {
  for (const Entry& entry : registry_) {
    if (entry.menu != nullptr) MarkOwnerDrawn(entry.menu, false, 0);
  }
}

bool MenuStyleLayer::RegisterMenu(QWidget* menu, bool on, int kind) {
  const bool is_menu = kind == kMenuBar
                           ? qobject_cast<QMenuBar*>(menu) != nullptr
                           : qobject_cast<QMenu*>(menu) != nullptr;
  if (!is_menu) return false;
  const auto found =
      std::find_if(registry_.begin(), registry_.end(),
                   [menu](const Entry& entry) { return entry.menu == menu; });
  if (on) {
    if (found == registry_.end()) registry_.append({menu, kind});
  } else {
    if (found == registry_.end()) return false;
    registry_.erase(found);
  }
  MarkOwnerDrawn(menu, on, 0);
  menu->update();
  return true;
}

int MenuStyleLayer::KindOf(const QWidget* menu) const {
  for (const Entry& entry : registry_) {
    if (entry.menu == menu) return entry.kind;
  }
  return kNotRegistered;
}

void MenuStyleLayer::MarkOwnerDrawn(QWidget* menu, bool on, int depth) {
  menu->setStyle(on ? this : nullptr);
  for (QAction* action : menu->actions()) {
    // The platform's menus show no pictures beside the items.
    action->setIconVisibleInMenu(on);
    QMenu* submenu = action->menu();
    if (submenu != nullptr && depth < kMaxSubmenuDepth) {
      MarkOwnerDrawn(submenu, on, depth + 1);
    }
  }
}

void MenuStyleLayer::ApplyColourScheme(ColourScheme scheme) {
  SetStyleRecord(ColourSchemeStyle(scheme));
}

void MenuStyleLayer::SetStyleRecord(const MenuStyle& record) {
  record_ = record;
  icon_column_width_ = record_.IconColumnWidth;
  item_font_ = system_menu_font_;
  bar_font_ = system_menu_font_;
  for (const Entry& entry : registry_) {
    if (entry.menu != nullptr) entry.menu->update();
  }
}

void MenuStyleLayer::AttachIcon(QAction* item, const QIcon& icon) {
  if (item == nullptr || icon.isNull()) return;
  item->setIcon(icon);
}

QColor MenuStyleLayer::BarBackground(const QStyleOption& option) const {
  return record_.BarBackground == kNoColour
             ? option.palette.color(QPalette::Button)
             : ToQColor(record_.BarBackground);
}

int MenuStyleLayer::styleHint(StyleHint hint, const QStyleOption* option,
                              const QWidget* widget,
                              QStyleHintReturn* data) const {
  // A disabled item under the mouse shows as selected and disabled.
  if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
  return QProxyStyle::styleHint(hint, option, widget, data);
}

int MenuStyleLayer::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
  switch (metric) {
    case PM_MenuPanelWidth:
      if (record_.PopupBorder != kNoColour) return kPopupBorderWidth;
      break;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuBarPanelWidth:
    case PM_MenuBarHMargin:
    case PM_MenuBarVMargin:
    case PM_MenuBarItemSpacing:
      return 0;
    default:
      break;
  }
  return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize MenuStyleLayer::sizeFromContents(ContentsType type,
                                       const QStyleOption* option,
                                       const QSize& size,
                                       const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (item == nullptr || (type != CT_MenuItem && type != CT_MenuBarItem)) {
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }
  if (type == CT_MenuBarItem) {
    QString text = item->text;
    text.remove(QLatin1Char('&'));
    const QFontMetrics metrics(bar_font_);
    return {metrics.horizontalAdvance(text) + 2 * kBarTextInset,
            metrics.height() + record_.ItemExtraHeight};
  }
  if (item->menuItemType == QStyleOptionMenuItem::Separator ||
      item->text.isEmpty()) {
    return {icon_column_width_ + 4, kSeparatorHeight};
  }
  // The menu adds the widest shortcut itself; the label and the room
  // before the shortcut column are the item's.
  const QFontMetrics metrics(item_font_);
  const QString label = item->text.section(QLatin1Char('\t'), 0, 0);
  return {
      metrics.horizontalAdvance(label) + icon_column_width_ + 10 + kShortcutGap,
      metrics.height() + record_.ItemExtraHeight};
}

void MenuStyleLayer::drawPrimitive(PrimitiveElement element,
                                   const QStyleOption* option,
                                   QPainter* painter,
                                   const QWidget* widget) const {
  switch (element) {
    case PE_PanelMenu:
      painter->fillRect(option->rect, ToQColor(record_.PopupBackground));
      return;
    case PE_PanelMenuBar:
      painter->fillRect(option->rect, BarBackground(*option));
      return;
    case PE_FrameMenu:
      if (record_.PopupBorder != kNoColour && AsPopup(widget) != nullptr) {
        DrawPopupBorder(*option, painter, widget);
        return;
      }
      break;
    default:
      break;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void MenuStyleLayer::drawControl(ControlElement element,
                                 const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  switch (element) {
    case CE_MenuBarEmptyArea:
      painter->fillRect(option->rect, BarBackground(*option));
      return;
    case CE_MenuEmptyArea:
      painter->fillRect(option->rect, ToQColor(record_.PopupBackground));
      return;
    case CE_MenuBarItem:
      if (item != nullptr) {
        painter->save();
        DrawBarItem(*item, painter, widget);
        painter->restore();
        return;
      }
      break;
    case CE_MenuItem:
      if (item != nullptr) {
        painter->save();
        DrawPopupItem(*item, painter, widget);
        painter->restore();
        return;
      }
      break;
    default:
      break;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void MenuStyleLayer::DrawBarItem(const QStyleOptionMenuItem& item,
                                 QPainter* painter,
                                 const QWidget* widget) const {
  const MenuStyle& s = record_;
  const bool hot = item.state & State_Selected;
  const bool open = hot && (item.state & State_Sunken);
  const bool disabled = !(item.state & State_Enabled);
  MenuColour fill_top = s.BarBackground;
  MenuColour fill_bottom = s.BarBackground;
  QColor frame = BarBackground(item);
  MenuColour text = s.BarText;
  if (open) {
    fill_top = s.BarOpenTop;
    fill_bottom = s.BarOpenBottom;
    frame = ToQColor(s.BarOpenFrame);
    text = s.BarOpenText;
  } else if (hot) {
    fill_top = s.BarHotTop;
    fill_bottom = s.BarHotBottom;
    frame = ToQColor(s.BarHotFrame);
    text = s.BarHotText;
  }
  const QColor fill =
      fill_top == kNoColour ? BarBackground(item) : ToQColor(fill_top);
  Box box = BoxOf(item.rect);
  // The rows the frame and the tab leave free are the bar's, not the
  // platform's background.
  FillBox(painter, box, BarBackground(item));
  if (open && s.BarOpenAsTab) {
    // The tab's shadow keeps to the item: the next item paints over
    // anything outside it.
    box.right -= 1;
    const int l = box.left, t = box.top, r = box.right, b = box.bottom;
    DrawLine(painter, {l, t + 1, l, b}, frame);
    DrawLine(painter, {l, t + 1, r - 3, t + 1}, frame);
    DrawLine(painter, {r - 3, t + 1, r - 3, b}, frame);
    if (s.BarOpenShadow) {
      DrawLine(painter, {r - 2, t + 4, r - 2, b}, QColor(100, 100, 100));
      DrawLine(painter, {r - 1, t + 5, r - 1, b}, QColor(150, 150, 150));
      DrawLine(painter, {r, t + 7, r, b}, QColor(150, 150, 150));
    }
    if (fill_top == fill_bottom) {
      FillBox(painter, {l + 1, t + 2, r - 3, b}, fill);
    } else if (!disabled) {
      painter->drawImage(
          l + 1, t + 2,
          VerticalGradient(r - l - 4, b - t - 2, fill_top, fill_bottom));
    }
    // A pop-up that opened above the bar hangs from the tab's other end.
    const QAction* action = ActionIn(widget, item.rect);
    const QMenu* popup = action != nullptr ? action->menu() : nullptr;
    if (popup != nullptr && popup->isVisible() &&
        popup->geometry().top() <
            widget->mapToGlobal(item.rect.topLeft()).y()) {
      const QColor top = ToQColor(s.BarOpenTop);
      DrawLine(painter, {l, b - 1, r - 3, b - 1}, frame);
      DrawLine(painter, {l, t, l, b - 1}, frame);
      DrawLine(painter, {r - 3, t, r - 3, b - 1}, frame);
      DrawLine(painter, {l + 1, t, r - 3, t}, top);
      DrawLine(painter, {l + 1, t + 1, r - 3, t + 1}, top);
    }
  } else {
    const Box inner{box.left, box.top + 1, box.right, box.bottom - 1};
    if (fill_top == fill_bottom) {
      FillBox(painter, inner, fill);
    } else if (!disabled) {
      painter->drawImage(box.left + 1, box.top + 1,
                         VerticalGradient(box.width() - 2, box.height() - 2,
                                          fill_top, fill_bottom));
    }
    FrameBox(painter, inner, frame);
  }
  painter->setFont(bar_font_);
  painter->setPen(disabled
                      ? item.palette.color(QPalette::Disabled, QPalette::Text)
                      : ToQColor(text));
  const Box text_box = BoxOf(item.rect);
  painter->drawText(QRect(text_box.left + kBarTextInset, text_box.top,
                          text_box.width() - kBarTextInset, text_box.height()),
                    Qt::AlignLeft | TextFlags(this, item, widget), item.text);
}

QImage MenuStyleLayer::IconColumnImage(const QStyleOptionMenuItem& item,
                                       const QMenu* menu) const {
  const int height = item.rect.height();
  if (caption_hook_ && menu != nullptr) {
    MenuCaptionRequest request;
    request.kind = KindOf(menu);
    request.menu = request.kind == kNotRegistered ? nullptr : menu;
    request.item_text = OpeningItemText(menu);
    request.open_flag = 0;
    if (caption_hook_(item, &request) == 1) {
      // The band starts at the first item: each item shows its own slice.
      int first_top = item.rect.top();
      for (QAction* action : menu->actions()) {
        if (!action->isVisible()) continue;
        first_top = menu->actionGeometry(action).top();
        break;
      }
      return CaptionBand(menu, request)
          .copy(0, item.rect.top() - first_top, icon_column_width_, height);
    }
  }
  return ColumnGradient(icon_column_width_, height, record_.IconColumnLeft,
                        record_.IconColumnRight);
}

QImage MenuStyleLayer::CaptionBand(const QMenu* menu,
                                   const MenuCaptionRequest& request) const {
  const int item_height =
      QFontMetrics(item_font_).height() + record_.ItemExtraHeight;
  int length = 0;
  for (const QAction* action : menu->actions()) {
    if (!action->isVisible()) continue;
    length += action->isSeparator() || action->text().isEmpty()
                  ? kSeparatorHeight
                  : item_height;
  }
  // Lying down first: the text runs along the band from its lower end.
  QImage band(std::max(length, 1), icon_column_width_, QImage::Format_RGB32);
  for (int y = 0; y < band.height(); ++y) {
    const QRgb colour =
        ToQColor(GradientColour(record_.IconColumnLeft, record_.IconColumnRight,
                                y, icon_column_width_))
            .rgb();
    for (int x = 0; x < band.width(); ++x) band.setPixel(x, y, colour);
  }
  {
    QPainter painter(&band);
    // A substitute font may run longer than the band: shrink it until the
    // whole caption fits, rather than cut its end off.
    QFont font = request.font;
    const int room = band.width() - request.along - 2;
    while (font.pointSizeF() > 5 &&
           QFontMetrics(font).horizontalAdvance(request.caption) > room) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    painter.setFont(font);
    painter.setPen(request.colour);
    painter.drawText(
        QRect(request.along, request.across, band.width(), band.height()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, request.caption);
  }
  // A quarter turn anticlockwise: the top row becomes the left edge and the
  // caption reads upwards.
  return band.transformed(QTransform().rotate(-90));
}

void MenuStyleLayer::DrawPopupItem(const QStyleOptionMenuItem& item,
                                   QPainter* painter,
                                   const QWidget* widget) const {
  const MenuStyle& s = record_;
  const int column = icon_column_width_;
  const Box box = BoxOf(item.rect);
  const bool selected = item.state & State_Selected;
  const bool disabled = !(item.state & State_Enabled);
  const bool separator = item.menuItemType == QStyleOptionMenuItem::Separator ||
                         item.text.isEmpty();
  const QMenu* menu = AsPopup(widget);

  MenuColour fill_top = s.PopupBackground;
  MenuColour fill_bottom = s.PopupBackground;
  QColor frame = ToQColor(s.PopupBackground);
  QColor text = ToQColor(s.ItemText);
  QColor shortcut = ToQColor(s.ItemShortcutText);
  if (selected) {
    fill_top = s.ItemSelTop;
    fill_bottom = s.ItemSelBottom;
    frame = ToQColor(s.ItemSelFrame);
    text = ToQColor(s.ItemSelText);
    shortcut = ToQColor(s.ItemSelShortcutText);
  }
  const QImage column_image = IconColumnImage(item, menu);
  if (disabled) {
    text = shortcut = item.palette.color(QPalette::Disabled, QPalette::Text);
    if (selected && frame == item.palette.color(QPalette::Window)) {
      frame = item.palette.color(QPalette::Highlight);
    }
  }

  if (!separator) {
    const Box fill =
        selected ? box : Box{box.left + column, box.top, box.right, box.bottom};
    if (fill_top == fill_bottom) {
      FillBox(painter, fill, ToQColor(disabled ? s.PopupBackground : fill_top));
    } else if (!disabled) {
      painter->drawImage(box.left + 1, box.top + 1,
                         VerticalGradient(box.width() - 2, box.height() - 2,
                                          fill_top, fill_bottom));
    }
    FrameBox(painter, fill, frame);

    painter->setFont(item_font_);
    const int flags = TextFlags(this, item, widget);
    const int l = box.left + column + 4;
    const qsizetype tab = item.text.indexOf(QLatin1Char('\t'));
    const QString label = tab < 0 ? item.text : item.text.left(tab);
    const QString keys = tab < 0 ? QString() : item.text.mid(tab + 1);
    if (disabled) {
      painter->setPen(Qt::white);
      painter->drawText(
          Box{l + 1, box.top + 1, box.right - 3, box.bottom + 1}.rect(),
          Qt::AlignLeft | flags, label);
    }
    painter->setPen(text);
    painter->drawText(Box{l, box.top, box.right, box.bottom}.rect(),
                      Qt::AlignLeft | flags, label);
    if (!keys.isEmpty()) {
      if (disabled) {
        painter->setPen(Qt::white);
        painter->drawText(
            Box{l + 1, box.top + 1, box.right - 9, box.bottom + 1}.rect(),
            Qt::AlignRight | flags, keys);
      }
      painter->setPen(shortcut);
      painter->drawText(Box{l, box.top, box.right - 10, box.bottom}.rect(),
                        Qt::AlignRight | flags, keys);
    }
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
      // The platform draws this arrow beside owner-drawn items too.
      const int x = box.right - 9;
      const int y = box.top + box.height() / 2;
      for (int i = 0; i < 4; ++i) {
        DrawLine(painter, {x + i, y - 3 + i, x + i, y + 4 - i}, text);
      }
    }
  } else {
    if (!selected) {
      FillBox(painter, box, ToQColor(s.PopupBackground));
    }
    const int l = box.left + column + 4;
    if (s.SeparatorColour != kNoColour) {
      FillBox(painter, {l, box.top + 2, box.right, box.top + 3},
              ToQColor(s.SeparatorColour));
    } else {
      // A sunken edge two pixels high: an etched line.
      const QColor dark = item.palette.color(QPalette::Dark);
      const QColor light = item.palette.color(QPalette::Light);
      FillBox(painter, {l, box.top + 2, box.right - 1, box.top + 3}, dark);
      FillBox(painter, {box.right - 1, box.top + 2, box.right, box.top + 3},
              light);
      FillBox(painter, {l, box.top + 3, box.right, box.top + 4}, light);
    }
  }

  if (!selected || disabled) {
    painter->drawImage(box.left, box.top, column_image);
  }
  if (selected && !separator) {
    FrameBox(painter, box, frame);
  }
  if (item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked) {
    const CheckColours colours = CheckMarkColours(s, selected, disabled);
    const Box check{box.left + 1, box.top + 1, box.left + column - 2,
                    box.bottom - 1};
    if (colours.fill != kNoColour) {
      FillBox(painter, check, ToQColor(colours.fill));
    }
    if (colours.frame != kNoColour) {
      FrameBox(painter, check, ToQColor(colours.frame));
    }
    for (const MenuLine& line :
         TickLines(box.left, column, check.top, check.height())) {
      DrawLine(painter, line, ToQColor(colours.pen));
    }
  }
  const QAction* action = ActionIn(widget, item.rect);
  const QIcon icon = action != nullptr ? action->icon() : item.icon;
  if (!separator && !icon.isNull()) {
    // Disabled items keep their picture in full colour.
    painter->drawPixmap(box.left + column + 4 - column / 2 - 12,
                        box.top + box.height() / 2 - kIconSide / 2,
                        icon.pixmap(kIconSide, kIconSide));
  }
}

void MenuStyleLayer::DrawPopupBorder(const QStyleOption& option,
                                     QPainter* painter,
                                     const QWidget* widget) const {
  const MenuStyle& s = record_;
  const Box box = BoxOf(option.rect);
  const QColor background = ToQColor(s.PopupBackground);
  FrameBox(painter, box, ToQColor(s.PopupBorder));
  FrameBox(painter, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
           background);
  FrameBox(painter, {box.left + 2, box.top + 2, box.right - 2, box.bottom - 2},
           background);
  FillBox(painter, {box.left + 2, box.top + 3, box.left + 4, box.bottom - 3},
          ToQColor(s.IconColumnLeft));

  // Open the border where the pop-up meets the menu bar tab it hangs from.
  const QMenu* popup = AsPopup(widget);
  for (const Entry& entry : registry_) {
    const auto* bar = qobject_cast<const QMenuBar*>(entry.menu.data());
    if (bar == nullptr || entry.kind != kMenuBar) continue;
    for (QAction* action : bar->actions()) {
      if (action->menu() != popup) continue;
      const QRect tab = bar->actionGeometry(action);
      const int tab_top = bar->mapToGlobal(tab.topLeft()).y();
      // The tab's right frame stands 4 pixels inside the item.
      const int end = box.left + tab.width() - (s.BarOpenAsTab ? 4 : 1);
      const int row =
          tab_top < popup->geometry().top() ? box.top : box.bottom - 1;
      FillBox(painter, {box.left + 1, row, end, row + 1}, background);
      return;
    }
  }
}

}  // namespace trulvex
