"""Drives the real window offscreen: one private instance, files handed to it the way a
second launch does, idleness read from its CPU time, RSS from /proc, and the event-loop
probe (bench/sonda, a Qt generic plugin) loaded through QT_QPA_GENERIC_PLUGINS."""
import os
import subprocess
import threading
import time
from pathlib import Path

from comun import COMPILACION, VENTANA, limpiar

SONDA = COMPILACION / "sonda"


def _cpu(pid):
    campos = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(campos[11]) + int(campos[12])) / os.sysconf("SC_CLK_TCK")


def _estado(pid, clave):
    for linea in Path(f"/proc/{pid}/status").read_text().splitlines():
        if linea.startswith(clave + ":"):
            return int(linea.split()[1]) * 1024
    return 0


class Ventana:
    def __init__(self, carpeta, registro=None, entorno_extra=None):
        if not VENTANA.exists():
            raise RuntimeError(f"no está {VENTANA}: el árbol todavía no tiene la ventana")
        self.carpeta = limpiar(carpeta)
        # A private temporary folder keeps this instance's socket and generation folders
        # apart from any other Livora running on the machine.
        self.entorno = {**os.environ, "QT_QPA_PLATFORM": "offscreen", "TMPDIR": str(self.carpeta),
                        "XDG_RUNTIME_DIR": str(self.carpeta)}
        if registro:
            self.entorno["QT_PLUGIN_PATH"] = str(SONDA)
            self.entorno["QT_QPA_GENERIC_PLUGINS"] = f"livorasonda:{registro}"
        self.entorno.update(entorno_extra or {})
        self.proceso = subprocess.Popen([str(VENTANA)], env=self.entorno, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.pico = 0
        self._fin = threading.Event()
        self._muestreo = threading.Thread(target=self._muestrear, daemon=True)
        self._muestreo.start()
        self.esperar_reposo()

    def _muestrear(self):
        while not self._fin.is_set() and self.proceso.poll() is None:
            try:
                self.pico = max(self.pico, _estado(self.proceso.pid, "VmRSS"))
            except (FileNotFoundError, ProcessLookupError):
                break
            time.sleep(0.05)

    def abrir(self, archivos):
        """Like launching livora with these files while the window runs."""
        entorno = {k: v for k, v in self.entorno.items() if k != "QT_QPA_GENERIC_PLUGINS"}
        subprocess.run([str(VENTANA), *map(str, archivos)], env=entorno, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def esperar_reposo(self, umbral=0.03, ventana_s=1.5, limite_s=900):
        """Waits until the window has used under `umbral` of a core for `ventana_s` seconds
        with no child process (cwebp) running meanwhile."""
        inicio = time.monotonic()
        time.sleep(0.5)
        while time.monotonic() - inicio < limite_s:
            c0 = _cpu(self.proceso.pid)
            time.sleep(ventana_s)
            if (_cpu(self.proceso.pid) - c0) / ventana_s < umbral and not self._hijos():
                return time.monotonic() - inicio
        raise RuntimeError("la ventana no terminó su trabajo a tiempo")

    def _hijos(self):
        tareas = Path(f"/proc/{self.proceso.pid}/task")
        return any((t / "children").read_text().strip() for t in tareas.iterdir()
                   if (t / "children").exists())

    def rss(self):
        return _estado(self.proceso.pid, "VmRSS")

    def hwm(self):
        return _estado(self.proceso.pid, "VmHWM")

    def cerrar(self):
        self._fin.set()
        self.proceso.terminate()
        try:
            self.proceso.wait(10)
        except subprocess.TimeoutExpired:
            self.proceso.kill()
            self.proceso.wait()
