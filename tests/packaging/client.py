#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A client of the record service, as any program of a pupil's may be one:
#   client.py MESSAGE...     each message on a connection of its own; prints
#                            each reply, or why there is none
#   client.py --flood S      for S seconds, from 4 processes, connections as
#                            fast as they go, half of them sent a save, none
#                            ever read
import os, socket, sys, time


def ask(message, limit=15.0):
    end = time.monotonic() + limit
    while True:  # a full queue is tried again, as the game does
        s = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)
        s.settimeout(limit)
        try:
            s.connect("/run/sequilla/record")
            break
        except BlockingIOError:
            s.close()
            time.sleep(0.01) if time.monotonic() < end else sys.exit("the queue stayed full")
    with s:
        try:
            s.send(message)
            return s.recv(1024)
        except BrokenPipeError:  # turned away before the request: the reason waits
            return s.recv(1024)
        except (socket.timeout, ConnectionResetError) as error:
            return repr(error).encode()


if sys.argv[1] == "--flood":
    end, held = time.monotonic() + float(sys.argv[2]), []
    for _ in range(2):
        os.fork()
    while time.monotonic() < end:
        s = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET | socket.SOCK_NONBLOCK)
        try:
            s.connect("/run/sequilla/record")
            len(held) % 2 and s.send(b"save 0 x")
        except OSError:
            pass
        held = held[-200:] + [s]
else:
    for message in sys.argv[1:]:
        print(ask(os.fsencode(message)).decode("utf-8", "replace"))
