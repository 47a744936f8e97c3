// PDF records in the window: the working copy of the options, applying it and regenerating
// the four alternatives. Restoring the pages is tested with the organiser.
#include "../motor/test_pdf_comun.h"
#include "main/secciones_pdf.h"
#include "soporte.h"
#include "vistas/imagen_qt.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Livora;
using namespace prueba;
using LivoraPrueba::a4;
using LivoraPrueba::crearPDF;

namespace {

// The real engine, with PDF regenerations counted and able to fail on demand.
struct Contador {
    int llamadas = 0;
    bool fallar = false;
    std::vector<OpcionesPDF> opciones;
};

class OpcionesPDFVentana : public ConVentana {
protected:
    std::shared_ptr<Contador> contador = std::make_shared<Contador>();

    void SetUp() override {
        auto motor = MotorVentana::real();
        auto real = motor.variantesPDF;
        auto c = contador;
        motor.variantesPDF =
            [real, c](const std::vector<PaginaPDF>& p, const OpcionesPDF& o,
                      const ControlTrabajo& control) -> Resultado<MotorVentana::SalidaPDF> {
            c->llamadas++;
            c->opciones.push_back(o);
            if (c->fallar) return error("No se pudo preparar el PDF");
            return real(p, o, control);
        };
        crear(std::move(motor));
        abrirRuta(crearPDF("opciones.pdf", a4(3)));
        ASSERT_EQ(e().archivos.size(), 1u) << e().mensaje;
    }
    const ArchivoEstado& pdf() const { return e().archivos[0]; }
};

TEST_F(OpcionesPDFVentana, AplicarSoloConCambiosYContrasenaSiProtege) {
    vista->aplicarOpcionesPDF(); // nothing differs
    EXPECT_EQ(contador->llamadas, 0);

    OpcionesPDF b;
    b.proteger = true; // without a password
    vista->setOpcionesBorrador(b);
    vista->aplicarOpcionesPDF();
    EXPECT_EQ(contador->llamadas, 0);
    EXPECT_FALSE(pdf().opcionesPDF.proteger);
    EXPECT_FALSE(borradorAplicable(e().opcionesBorrador));

    // With the password it applies, and the chosen output is chosen again by its suffix.
    vista->elegirVariante(pdf().variantes[2].id);
    ASSERT_EQ(elegida(), "media");
    const Uuid antes = pdf().variantes[2].id;
    b.contrasena = "clave";
    b.titulo = "Informe de año";
    vista->setOpcionesBorrador(b);
    vista->aplicarOpcionesPDF();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(contador->llamadas, 1);
    EXPECT_EQ(elegida(), "media");
    EXPECT_NE(e().varianteActiva()->id, antes);
    EXPECT_EQ(pdf().opcionesPDF, b);
    EXPECT_EQ(contador->opciones.back(), b);
    ASSERT_EQ(pdf().variantes.size(), 4u);
    // The outputs really ask for the password, and the comparator reads them back with it.
    EXPECT_TRUE(LivoraPrueba::leer(pdf().variantes[2].urlTemp, "clave"));
    EXPECT_FALSE(proveedorArchivo(pdf().variantes[2].urlTemp, "clave")(QSize(200, 200)).isNull());
    EXPECT_TRUE(proveedorArchivo(pdf().variantes[2].urlTemp, "mala")(QSize(200, 200)).isNull());
}

TEST_F(OpcionesPDFVentana, UnFalloAvisaYConservaLasSalidasAnteriores) {
    const auto ids = pdf().variantes;
    contador->fallar = true;
    OpcionesPDF b;
    b.autor = "José";
    vista->setOpcionesBorrador(b);
    vista->aplicarOpcionesPDF();
    ASSERT_TRUE(esperarTrabajos(*vista));
    EXPECT_EQ(e().mensaje, "❌ No se pudo preparar el PDF");
    ASSERT_EQ(pdf().variantes.size(), ids.size());
    EXPECT_EQ(pdf().variantes[0].id, ids[0].id);
    EXPECT_FALSE(e().procesando);
}

TEST_F(OpcionesPDFVentana, ElBorradorSeRecargaAlCambiarDeArchivoYSeDescarta) {
    OpcionesPDF b;
    b.titulo = "a medias";
    vista->setOpcionesBorrador(b);
    vista->descartarOpcionesPDF();
    EXPECT_EQ(e().opcionesBorrador, OpcionesPDF{});

    vista->setOpcionesBorrador(b);
    abrirRuta(datos("foto_exif.jpg"));
    EXPECT_EQ(e().opcionesBorrador, OpcionesPDF{}); // the photo has no options
    vista->activar(pdf().id);
    EXPECT_EQ(e().opcionesBorrador, pdf().opcionesPDF);
}

TEST_F(OpcionesPDFVentana, SeccionesMuestranElEstado) {
    SeccionesPDF s;
    s.mostrar(pdf(), e().opcionesBorrador, false);
    auto botones = s.findChildren<QPushButton*>();
    auto boton = [&](const QString& t) -> QPushButton* {
        for (auto* b : botones)
            if (b->text() == t) return b;
        return nullptr;
    };
    ASSERT_TRUE(boton("Restaurar") && boton("Aplicar") && boton("Organizar…"));
    EXPECT_TRUE(boton("Restaurar")->isHidden());
    EXPECT_TRUE(boton("Aplicar")->parentWidget()->isHidden());

    OpcionesPDF b;
    b.proteger = true;
    s.mostrar(pdf(), b, true);
    EXPECT_FALSE(boton("Aplicar")->parentWidget()->isHidden());
    EXPECT_FALSE(boton("Aplicar")->isEnabled());
    EXPECT_FALSE(boton("Organizar…")->parentWidget()->isEnabled()); // busy
    b.contrasena = "x";
    s.mostrar(pdf(), b, false);
    EXPECT_TRUE(boton("Aplicar")->isEnabled());

    std::optional<OpcionesPDF> emitido;
    QObject::connect(&s, &SeccionesPDF::borradorCambiado,
                     [&](const OpcionesPDF& o) { emitido = o; });
    for (auto* campo : s.findChildren<QLineEdit*>())
        if (campo->echoMode() != QLineEdit::Password && campo->text().isEmpty()) {
            campo->setFocus();
            QTest::keyClicks(campo, "Anual");
            break;
        }
    ASSERT_TRUE(emitido);
    EXPECT_EQ(emitido->titulo, "Anual");
    EXPECT_TRUE(emitido->proteger);
}

TEST(TextosPDF, PaginasEnSingularYPlural) {
    EXPECT_EQ(textoPaginas(1), "1 página");
    EXPECT_EQ(textoPaginas(12), "12 páginas");
    EXPECT_EQ(textoPaginas(0), "0 páginas");
}

} // namespace
