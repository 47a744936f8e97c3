#!/usr/bin/python3
"""Turns the fp16 IS-Net ONNX model into the fp32 graph OpenCV's DNN module can load.

OpenCV 4.6 has no fp16 layers: the weights become fp32, the Cast nodes that only
moved values between fp16 and fp32 become pass-throughs, the side outputs are
dropped (only "output" is used) and the nodes are written in dependency order,
which OpenCV's importer requires.

Uso: convertir_modelo.py ENTRADA.onnx SALIDA.onnx
"""
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

SALIDA = "output"


def convertir(modelo):
    g = modelo.graph

    pesos = []
    for t in g.initializer:
        if t.data_type == TensorProto.FLOAT16:
            t = numpy_helper.from_array(numpy_helper.to_array(t).astype(np.float32), t.name)
        pesos.append(t)

    # Every Cast in this graph goes between fp16 and fp32; in an all-fp32 graph they
    # are identities, so their consumers read the Cast's input directly.
    alias = {}
    for n in g.node:
        if n.op_type == "Cast":
            destino = n.attribute[0].i
            if destino not in (TensorProto.FLOAT, TensorProto.FLOAT16):
                raise SystemExit(f"Cast inesperado a {destino} en {n.name}")
            alias[n.output[0]] = n.input[0]

    def origen(nombre):
        while nombre in alias:
            nombre = alias[nombre]
        return nombre

    productor = {}
    nodos = []
    for n in g.node:
        if n.op_type == "Cast":
            continue
        nuevo = helper.make_node(n.op_type, [origen(i) if i else "" for i in n.input],
                                 list(n.output), name=n.name, domain=n.domain)
        nuevo.attribute.extend(n.attribute)
        nodos.append(nuevo)
        for o in n.output:
            productor[o] = nuevo

    salida_real = origen(SALIDA)
    entradas_grafo = {i.name for i in g.input}
    pesos_nombres = {t.name for t in pesos}

    # Depth-first from the one output: keeps what it needs, in dependency order.
    orden, visto = [], set()

    def visitar(nodo):
        pila = [(nodo, False)]
        while pila:
            n, hecho = pila.pop()
            clave = id(n)
            if hecho:
                orden.append(n)
                continue
            if clave in visto:
                continue
            visto.add(clave)
            pila.append((n, True))
            for i in reversed(n.input):
                if i and i in productor and id(productor[i]) not in visto:
                    pila.append((productor[i], False))

    visitar(productor[salida_real])
    # A node reached twice through the stack is appended once, after all its inputs.
    usados = {i for n in orden for i in n.input if i}
    faltan = usados - entradas_grafo - pesos_nombres - {o for n in orden for o in n.output}
    if faltan:
        raise SystemExit(f"Entradas sin origen: {sorted(faltan)[:5]}")

    # The output keeps its public name.
    if salida_real != SALIDA:
        for n in orden:
            n.output[:] = [SALIDA if o == salida_real else o for o in n.output]
            n.input[:] = [SALIDA if i == salida_real else i for i in n.input]

    entrada = g.input[0]
    forma = [d.dim_value for d in entrada.type.tensor_type.shape.dim]
    forma_salida = [d.dim_value for d in g.output[0].type.tensor_type.shape.dim]
    grafo = helper.make_graph(
        orden,
        g.name,
        [helper.make_tensor_value_info(entrada.name, TensorProto.FLOAT, forma)],
        [helper.make_tensor_value_info(SALIDA, TensorProto.FLOAT, forma_salida)],
        initializer=[t for t in pesos if t.name in usados],
    )
    nuevo = helper.make_model(grafo, opset_imports=list(modelo.opset_import),
                              producer_name="livora")
    nuevo.ir_version = modelo.ir_version
    onnx.checker.check_model(nuevo)
    return nuevo


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    modelo = onnx.load(sys.argv[1])
    onnx.save(convertir(modelo), sys.argv[2])


if __name__ == "__main__":
    main()
