#!/usr/bin/env python3
"""Opens an exported workbook with openpyxl and prints what a spreadsheet user sees, one fact a
line (name, TAB, value): the sheets, every row (cells joined by "|"), the cells' value types and
number formats, the borders of every cell, the header's font and fill, and the column widths
set (whole characters)."""
import sys

import openpyxl

livro = openpyxl.load_workbook(sys.argv[1])
folha = livro.worksheets[0]
print("sheets\t%d" % len(livro.worksheets))
tipos, bordas, formatos = set(), set(), set()
for linha in folha.iter_rows():
    print("row\t" + "|".join("" if c.value is None else str(c.value) for c in linha))
    for c in linha:
        if c.value is not None:
            tipos.add(type(c.value).__name__)
        formatos.add(c.number_format)
        b = c.border
        bordas.add("/".join(str(getattr(b, lado).style) for lado in ("left", "right", "top", "bottom")))
print("types\t" + ",".join(sorted(tipos)))
print("number_formats\t" + ",".join(sorted(formatos)))
print("borders\t" + ",".join(sorted(bordas)))
cabecalho = [folha.cell(row=1, column=i + 1) for i in range(folha.max_column)]
print("header_bold\t" + ",".join("1" if c.font.b else "0" for c in cabecalho))
print("header_fill\t" + ",".join(
    (c.fill.fill_type + ":" + str(c.fill.fgColor.rgb)) if c.fill.fill_type else "none" for c in cabecalho))
corpo = [c for linha in folha.iter_rows(min_row=2) for c in linha]
print("body_bold\t" + ("1" if any(c.font.b for c in corpo) else "0"))
print("body_fill\t" + ("1" if any(c.fill.fill_type for c in corpo) else "0"))
for letra in sorted(folha.column_dimensions):
    dim = folha.column_dimensions[letra]
    if dim.customWidth:
        # The sheet stores a width adjusted to whole pixels; its whole characters are compared.
        print("width\t%s\t%d" % (letra, int(dim.width)))
