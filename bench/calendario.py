#!/usr/bin/python3
"""A 24-page photo calendar, as a calendar service would print it: each A4 page has a photo
(its JPEG data embedded unchanged) over the month's grid of days in Helvetica. Written as
PostScript and turned into PDF by Ghostscript with JPEG pass-through.

    calendario.py SALIDA.pdf FOTO.jpg…"""
import calendar
import subprocess
import sys
import tempfile
from pathlib import Path

MESES = ["Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
         "Septiembre", "Octubre", "Noviembre", "Diciembre"]
DIAS = ["L", "M", "X", "J", "V", "S", "D"]


def tamano(jpeg):
    w, h = subprocess.check_output(["identify", "-format", "%w %h", f"{jpeg}[0]"], text=True).split()
    return int(w), int(h)


def pagina(jpeg, anio, mes):
    w, h = tamano(jpeg)
    # The photo fills the top of the page (515 × 400 points, cropped to keep its shape).
    caja_w, caja_h = 515.0, 400.0
    escala = max(caja_w / w, caja_h / h)
    dw, dh = w * escala, h * escala
    ps = [f"gsave 40 402 moveto 515 0 rlineto 0 400 rlineto -515 0 rlineto closepath clip",
          f"{40 + (caja_w - dw) / 2:.2f} {402 + (caja_h - dh) / 2:.2f} translate {dw:.2f} {dh:.2f} scale",
          f"{w} {h} 8 [{w} 0 0 -{h} 0 {h}] ({jpeg}) (r) file /DCTDecode filter false 3 colorimage",
          "grestore",
          f"/Helvetica-Bold findfont 28 scalefont setfont 40 360 moveto ({MESES[mes - 1]} {anio}) show",
          "/Helvetica findfont 14 scalefont setfont"]
    for i, d in enumerate(DIAS):
        ps.append(f"{62 + i * 73} 330 moveto ({d}) show")
    for fila, semana in enumerate(calendar.Calendar().monthdayscalendar(anio, mes)):
        for i, dia in enumerate(semana):
            x, y = 40 + i * 73, 300 - fila * 48
            ps.append(f"0.6 setgray 0.5 setlinewidth {x} {y - 38} 73 48 rectstroke 0 setgray")
            if dia:
                ps.append(f"{x + 6} {y - 6} moveto ({dia}) show")
    return "\n".join(ps) + "\nshowpage\n"


def main():
    salida, fotos = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as t:
        ps = Path(t) / "calendario.ps"
        texto = "%!PS\n<< /PageSize [595 842] >> setpagedevice\n"
        for n in range(24):
            texto += pagina(fotos[n % len(fotos)], 2026 + n // 12, n % 12 + 1)
        ps.write_text(texto)
        subprocess.run(["gs", "-q", "-dNOPAUSE", "-dBATCH", "-dNOSAFER", "-sDEVICE=pdfwrite",
                        "-dPassThroughJPEGImages=true", "-dAutoFilterColorImages=false",
                        "-dColorImageFilter=/DCTEncode", f"-sOutputFile={salida}", str(ps)],
                       check=True)


if __name__ == "__main__":
    main()
