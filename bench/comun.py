"""Shared pieces of the benchmark scripts: paths, timed runs, medians, results files."""
import json
import os
import resource
import shutil
import statistics
import subprocess
import time
from pathlib import Path

BENCH = Path(__file__).resolve().parent
RAIZ = BENCH.parent
ENTRADAS = BENCH / "entradas"
RESULTADOS = BENCH / "resultados"
COMPILACION = Path(os.environ.get("LIVORA_BENCH_BUILD", BENCH / "compilacion"))
CLI = COMPILACION / "livora-cli"
VENTANA = COMPILACION / "livora"
HERRAMIENTAS = COMPILACION / "bench"
CALIDAD = HERRAMIENTAS / "calidad"
CODIFICACION = HERRAMIENTAS / "codificacion"
CONVERT = "/usr/bin/convert"  # Debian's ImageMagick 6, not any stand-in earlier in PATH
RUNS = int(os.environ.get("BENCH_RUNS", "3"))
CARGA_INICIAL = os.getloadavg()

FOTO = ENTRADAS / "foto-12mp.jpg"
PDF_FOTOS = ENTRADAS / "fotos-20-paginas.pdf"
PDF_TEXTO = ENTRADAS / "bashref.pdf"
PDF_CALENDARIO = ENTRADAS / "calendario-24-paginas.pdf"


def cpu_hijos():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def medir(cmd, **kw):
    """Runs one command to completion: (wall s, CPU s of it and its children, stdout)."""
    c0, t0 = cpu_hijos(), time.perf_counter()
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)
    pared, cpu = time.perf_counter() - t0, cpu_hijos() - c0
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(map(str, cmd))} terminó con {p.returncode}: {p.stderr[-2000:]}")
    return pared, cpu, p.stdout


def medir_varios(cmds, **kw):
    """A script of several commands run one after another, timed as a whole."""
    pared = cpu = 0.0
    for c in cmds:
        p, c_, _ = medir(c, **kw)
        pared += p
        cpu += c_
    return pared, cpu


def mediana(valores):
    valores = [v for v in valores if v is not None]
    return statistics.median(valores) if valores else None


def limpiar(carpeta):
    shutil.rmtree(carpeta, ignore_errors=True)
    Path(carpeta).mkdir(parents=True, exist_ok=True)
    return Path(carpeta)


def ssim(referencia, candidatos):
    """SSIM on luma of each candidate against the reference (None where it cannot be read)."""
    candidatos = [str(c) for c in candidatos]
    if not candidatos:
        return {}
    p = subprocess.run([str(CALIDAD), str(referencia), *candidatos], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL, text=True)
    fuera = {}
    for linea in p.stdout.splitlines():
        valor, _, _, ruta = linea.split(" ", 3)
        fuera[ruta] = None if valor == "nan" else float(valor)
    return {c: fuera.get(c) for c in candidatos}


def carga():
    return os.getloadavg()


def guardar(nombre, datos):
    RESULTADOS.mkdir(parents=True, exist_ok=True)
    datos["carga_al_empezar"] = CARGA_INICIAL
    datos["carga_al_terminar"] = carga()
    datos["prioridad"] = os.getpriority(os.PRIO_PROCESS, 0)
    try:
        datos["grupo"] = Path("/proc/self/autogroup").read_text().strip()
    except OSError:
        pass
    datos["fecha"] = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
    (RESULTADOS / f"{nombre}.json").write_text(json.dumps(datos, indent=1, ensure_ascii=False))


def leer(nombre):
    ruta = RESULTADOS / f"{nombre}.json"
    return json.loads(ruta.read_text()) if ruta.exists() else None
