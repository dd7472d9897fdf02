#!/usr/bin/python3
"""A DNS server for benchmarks: answers every query after a chosen delay, many at a time.

    dns_atrasado.py PORT DELAY_MS

Names under .bench get an MX record (mx.NAME); names starting with "nx" get NXDOMAIN; anything
else gets REFUSED. Listens on 127.0.0.1 only. Needs python3-dnslib (Debian's /usr/bin/python3).
"""
import socket
import sys
import threading

from dnslib import DNSRecord, MX, QTYPE, RCODE, RR


def main():
    port, delay = int(sys.argv[1]), int(sys.argv[2]) / 1000.0
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", port))
    lock = threading.Lock()

    def answer(data, addr):
        try:
            req = DNSRecord.parse(data)
        except Exception:
            return
        reply = req.reply()
        name = str(req.q.qname).rstrip(".")
        if name.startswith("nx"):
            reply.header.rcode = RCODE.NXDOMAIN
        elif name.endswith(".bench") and req.q.qtype == QTYPE.MX:
            reply.add_answer(RR(req.q.qname, QTYPE.MX, rdata=MX("mx." + name + "."), ttl=60))
        elif not name.endswith(".bench"):
            reply.header.rcode = RCODE.REFUSED
        with lock:
            sock.sendto(reply.pack(), addr)

    print("pronto", flush=True)
    while True:
        data, addr = sock.recvfrom(4096)
        threading.Timer(delay, answer, (data, addr)).start()


if __name__ == "__main__":
    main()
