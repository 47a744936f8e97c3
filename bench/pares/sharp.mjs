// The sharp peer: the same outputs as a Livora image generation, with sharp's defaults for
// each format (plus PNG adaptive filtering), as a user would script them.
//
//   node sharp.mjs FOTO CARPETA paralelo|secuencial [KB_OBJETIVO]
// paralelo: every output at once (Promise.all), as a script would; prints the total.
// secuencial: one output after another, each timed (wall and CPU), for the per-output figures.
import sharp from 'sharp';
import { writeFile } from 'node:fs/promises';
import { join } from 'node:path';

const [foto, carpeta, modo = 'paralelo', kbTexto = '500'] = process.argv.slice(2);
const objetivo = Number(kbTexto) * 1024;

const dentro = (lado) => ({ width: lado, height: lado, fit: 'inside', withoutEnlargement: true });

const salidas = {
  'sin-perdida': () => sharp(foto).png({ adaptiveFiltering: true }).toFile(join(carpeta, 'sin-perdida.png')),
  alta: () => sharp(foto).jpeg({ quality: 80 }).toFile(join(carpeta, 'alta.jpg')),
  media: () => sharp(foto).resize(dentro(2048)).jpeg({ quality: 60 }).toFile(join(carpeta, 'media.jpg')),
  baja: () => sharp(foto).resize(dentro(1280)).jpeg({ quality: 40 }).toFile(join(carpeta, 'baja.jpg')),
  avif: () => sharp(foto).avif({ quality: 60 }).toFile(join(carpeta, 'avif.avif')),
  // From the lossless PNG, like Livora's WebP row.
  webp: () => sharp(join(carpeta, 'sin-perdida.png')).webp({ quality: 75 }).toFile(join(carpeta, 'webp.webp')),
  personalizada: () => sharp(foto).jpeg({ quality: 70 }).toFile(join(carpeta, 'personalizada.jpg')),
  objetivo: () => buscarPeso(),
};

// Livora's search: 7 halvings of the quality between 0.05 and 0.95 per pass, the picture
// shrunk by 0.75 when nothing fits (at most 8 passes, not below 200 px). Decodes once.
async function buscarPeso() {
  let { data, info } = await sharp(foto).raw().toBuffer({ resolveWithObject: true });
  for (let pasada = 1; pasada <= 8; ++pasada) {
    let lo = 0.05, hi = 0.95, mejor = null;
    const crudo = { raw: { width: info.width, height: info.height, channels: info.channels } };
    for (let paso = 0; paso < 7; ++paso) {
      const q = (lo + hi) / 2;
      const jpeg = await sharp(data, crudo).jpeg({ quality: Math.round(q * 100) }).toBuffer();
      if (jpeg.length <= objetivo) { mejor = jpeg; lo = q; } else { hi = q; }
    }
    if (mejor) {
      await writeFile(join(carpeta, 'objetivo.jpg'), mejor);
      return { size: mejor.length };
    }
    const m = Math.max(info.width, info.height);
    if (m * 0.75 < 200) return null;
    const w = Math.trunc(info.width * 0.75), h = Math.trunc(info.height * 0.75);
    ({ data, info } = await sharp(data, crudo).resize(w, h, { fit: 'fill' }).raw()
      .toBuffer({ resolveWithObject: true }));
  }
  return null;
}

const resultado = { concurrencia: sharp.concurrency(), salidas: {} };
const t0 = process.hrtime.bigint();
const ms = (desde) => Number(process.hrtime.bigint() - desde) / 1e6;
if (modo === 'secuencial') {
  for (const [nombre, hacer] of Object.entries(salidas)) {
    const t = process.hrtime.bigint();
    const c = process.cpuUsage();
    const info = await hacer();
    const { user, system } = process.cpuUsage(c);
    resultado.salidas[nombre] = { ms: ms(t), cpu_ms: (user + system) / 1000, bytes: info ? info.size : null };
  }
} else {
  const { webp, ...resto } = salidas;
  await Promise.all(Object.entries(resto).map(async ([nombre, hacer]) => {
    const info = await hacer();
    resultado.salidas[nombre] = { bytes: info ? info.size : null };
    if (nombre === 'sin-perdida') resultado.salidas.webp = { bytes: (await webp()).size };
  }));
}
resultado.total_ms = ms(t0);
console.log(JSON.stringify(resultado));
