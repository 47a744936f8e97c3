#include "editores/selector_emoji.h"

#include "editores/calculo_capas.h"
#include "vistas/estilo.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#ifdef LIVORA_CON_EMOJIS
static void registrarEmojis() {
    Q_INIT_RESOURCE(emojis);
}
#endif

namespace Livora {

namespace {

// Lower case without accents, so a query typed without them still matches.
QString plegar(const QString& s) {
    QString d = s.normalized(QString::NormalizationForm_D).toCaseFolded();
    QString r;
    r.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing) r.append(c);
    return r;
}

} // namespace

QFont fuenteEmoji(const QFont& base, int pixeles) {
    QFont f = base;
    // Left to the fallback, some symbols (❤, 👍) come out of a monochrome text font.
    f.setFamilies({QStringLiteral("Noto Color Emoji"), base.family()});
    f.setPixelSize(pixeles);
    return f;
}

ListaEmojis leerEmojis(const QString& tabla) {
    ListaEmojis l;
    for (const QString& linea : tabla.split('\n', Qt::SkipEmptyParts)) {
        const QStringList c = linea.split('\t');
        if (c.size() >= 3 && c[0] == QLatin1String("#")) {
            QString nombre = c[2];
            if (!nombre.isEmpty()) nombre[0] = nombre[0].toUpper();
            l.grupos.push_back({c[1].toInt(), nombre});
        } else if (c.size() >= 3) {
            l.emojis.push_back({c[0].toInt(), c[1], c[2], c.size() > 3 ? c[3] : QString()});
        }
    }
    return l;
}

const ListaEmojis& listaEmojis() {
    static const ListaEmojis lista = [] {
#ifdef LIVORA_CON_EMOJIS
        registrarEmojis();
#endif
        QFile f(QStringLiteral(":/emojis/emojis.tsv"));
        if (f.open(QIODevice::ReadOnly)) {
            ListaEmojis l = leerEmojis(QString::fromUtf8(f.readAll()));
            if (!l.emojis.empty()) return l;
        }
        ListaEmojis l;
        l.grupos.push_back({0, QStringLiteral("Emojis")});
        for (const auto& e : emojisRapidos())
            l.emojis.push_back({0, QString::fromStdString(e), QString(), QString()});
        return l;
    }();
    return lista;
}

std::vector<const Emoji*> filtrarEmojis(const ListaEmojis& lista, const QString& consulta,
                                        int grupo) {
    std::vector<const Emoji*> r;
    const QStringList palabras = plegar(consulta).split(' ', Qt::SkipEmptyParts);
    for (const Emoji& e : lista.emojis) {
        if (palabras.isEmpty()) {
            if (e.grupo == grupo) r.push_back(&e);
            continue;
        }
        const QString texto = plegar(e.nombre + ' ' + e.etiquetas);
        bool todas = true;
        for (const QString& p : palabras)
            if (!texto.contains(p)) {
                todas = false;
                break;
            }
        if (todas) r.push_back(&e);
    }
    return r;
}

SelectorEmoji::SelectorEmoji(QWidget* padre) : QFrame(padre, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    setObjectName("selectorEmoji");
    setStyleSheet("#selectorEmoji { background: white; border: 1px solid rgba(0,0,0,0.15);"
                  " border-radius: 10px; }");
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(8);
    busqueda_ = new QLineEdit(this);
    busqueda_->setPlaceholderText("Buscar emoji");
    busqueda_->setClearButtonEnabled(true);
    v->addWidget(busqueda_);
    connect(busqueda_, &QLineEdit::textChanged, this, [this] { llenar(); });

    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(2);
    const ListaEmojis& lista = listaEmojis();
    const QFont fuenteTab = fuenteEmoji(font(), 18);
    for (const GrupoEmoji& g : lista.grupos) {
        const auto del = filtrarEmojis(lista, QString(), g.id);
        auto* b = new QToolButton(this);
        b->setText(del.empty() ? QStringLiteral("•") : del.front()->emoji);
        b->setFont(fuenteTab);
        b->setToolTip(g.nombre);
        b->setCheckable(true);
        b->setAutoRaise(true);
        const int id = g.id;
        connect(b, &QToolButton::clicked, this, [this, id] { elegirGrupo(id); });
        tabs->addWidget(b);
        pestanas_.push_back(b);
    }
    tabs->addStretch(1);
    v->addLayout(tabs);

    rejilla_ = new QListWidget(this);
    rejilla_->setViewMode(QListView::IconMode);
    rejilla_->setResizeMode(QListView::Adjust);
    rejilla_->setMovement(QListView::Static);
    rejilla_->setUniformItemSizes(true);
    rejilla_->setGridSize(QSize(38, 38));
    rejilla_->setWordWrap(false);
    rejilla_->setTextElideMode(Qt::ElideNone);
    rejilla_->setFont(fuenteEmoji(font(), 24));
    rejilla_->setFrameShape(QFrame::NoFrame);
    rejilla_->setMouseTracking(true);
    v->addWidget(rejilla_, 1);
    connect(rejilla_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        Q_EMIT elegido(item->text());
        close();
    });
    connect(rejilla_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        Q_EMIT elegido(item->text());
        close();
    });
    resize(380, 340);
    elegirGrupo(lista.grupos.empty() ? 0 : lista.grupos.front().id);
}

void SelectorEmoji::elegirGrupo(int grupo) {
    grupo_ = grupo;
    const ListaEmojis& lista = listaEmojis();
    for (std::size_t i = 0; i < pestanas_.size() && i < lista.grupos.size(); ++i)
        pestanas_[i]->setChecked(lista.grupos[i].id == grupo);
    if (!busqueda_->text().isEmpty())
        busqueda_->clear(); // refills through textChanged
    else
        llenar();
}

void SelectorEmoji::llenar() {
    rejilla_->clear();
    for (const Emoji* e : filtrarEmojis(listaEmojis(), busqueda_->text(), grupo_)) {
        auto* item = new QListWidgetItem(e->emoji, rejilla_);
        item->setToolTip(e->nombre);
        item->setTextAlignment(Qt::AlignCenter);
        item->setSizeHint(QSize(36, 36));
    }
}

void SelectorEmoji::abrirJunto(QWidget* ancla) {
    QPoint arriba = ancla->mapToGlobal(QPoint(ancla->width() - width(), -height() - 6));
    if (const QScreen* s = ancla->screen(); s && arriba.y() < s->availableGeometry().top())
        arriba = ancla->mapToGlobal(QPoint(ancla->width() - width(), ancla->height() + 6));
    move(arriba);
    show();
    busqueda_->setFocus(Qt::PopupFocusReason);
}

} // namespace Livora
