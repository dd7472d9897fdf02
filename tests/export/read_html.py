#!/usr/bin/env python3
"""Reads an exported HTML table as a browser's parser does and prints the start tags met and the
text of each table cell, one row a line ("row" + TAB + the cells joined by "|"; line breaks
inside a cell shown as \\r and \\n)."""
import sys
from html.parser import HTMLParser


class Leitor(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = []
        self.linhas = []
        self.celula = None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        if tag == "tr":
            self.linhas.append([])
        elif tag == "td":
            self.celula = []

    def handle_endtag(self, tag):
        if tag == "td" and self.celula is not None:
            self.linhas[-1].append("".join(self.celula))
            self.celula = None

    def handle_data(self, data):
        if self.celula is not None:
            self.celula.append(data)


with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    leitor = Leitor()
    leitor.feed(f.read())
    leitor.close()


def mostrar(texto):
    return texto.replace("\r", "\\r").replace("\n", "\\n")


print("tags\t" + ",".join(sorted(set(leitor.tags))))
for linha in leitor.linhas:
    print("row\t" + "|".join(mostrar(c) for c in linha))
