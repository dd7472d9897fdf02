#include "ui/message_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvel::ui {

namespace {

constexpr int kLado = 80;

void letra(QPainter& p, const QRectF& r, const QString& texto, const QColor& cor, int tamanho) {
  QFont f = p.font();
  f.setPixelSize(tamanho);
  f.setBold(true);
  p.setFont(f);
  p.setPen(cor);
  p.drawText(r, Qt::AlignCenter, texto);
}

void circulo(QPainter& p, const QColor& cor) {
  p.setPen(QPen(cor.darker(130), 3));
  p.setBrush(cor);
  p.drawEllipse(QRectF(4, 4, kLado - 8, kLado - 8));
}

}  // namespace

QPixmap iconeMensagem(int indice) {
  QPixmap pm(kLado, kLado);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area(0, 0, kLado, kLado);
  switch (indice) {
    case 2:  // error: a red disc with a cross
      circulo(p, QColor(0xd9, 0x3b, 0x3b));
      p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(27, 27), QPointF(53, 53));
      p.drawLine(QPointF(53, 27), QPointF(27, 53));
      break;
    case 3: {  // warning: an amber triangle with "!"
      QPainterPath tri;
      tri.moveTo(40, 5);
      tri.lineTo(76, 72);
      tri.lineTo(4, 72);
      tri.closeSubpath();
      p.setPen(QPen(QColor(0xb7, 0x7b, 0x00), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(QColor(0xf5, 0xb5, 0x1b));
      p.drawPath(tri);
      letra(p, QRectF(0, 20, kLado, 52), QStringLiteral("!"), QColor(0x3a, 0x2a, 0x00), 44);
      break;
    }
    case 4:  // question: a blue disc with "?"
      circulo(p, QColor(0x2f, 0x6f, 0xc0));
      letra(p, area, QStringLiteral("?"), Qt::white, 50);
      break;
    case 5: {  // tip: a light bulb
      p.setPen(QPen(QColor(0xb7, 0x8a, 0x00), 3));
      p.setBrush(QColor(0xff, 0xd5, 0x4a));
      p.drawEllipse(QRectF(16, 6, 48, 48));
      p.setBrush(QColor(0x9a, 0x9a, 0x9a));
      p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
      p.drawRoundedRect(QRectF(28, 52, 24, 18), 4, 4);
      p.drawLine(QPointF(29, 58), QPointF(51, 58));
      p.drawLine(QPointF(29, 64), QPointF(51, 64));
      p.setBrush(QColor(0x60, 0x60, 0x60));
      p.drawEllipse(QRectF(35, 70, 10, 6));
      p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(25, 15, 22, 22), 100 * 16, 80 * 16);
      break;
    }
    case 6:  // help: a green disc with "?" in a ring
      circulo(p, QColor(0x2e, 0x9d, 0x4f));
      p.setPen(QPen(Qt::white, 3));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(14, 14, kLado - 28, kLado - 28));
      letra(p, area, QStringLiteral("?"), Qt::white, 36);
      break;
    default:  // information: a blue disc with "i"
      circulo(p, QColor(0x1f, 0x86, 0xc8));
      letra(p, area, QStringLiteral("i"), Qt::white, 50);
      break;
  }
  return pm;
}

}  // namespace quorvel::ui
