#!/usr/bin/env python3
"""The pace of recorded games: for each stretch of one frame rate (60 a second, 480 with F5 held,
a new stretch after the Help box) the frames it ran and the largest growth of the clock's lead over
its frames, in ms; server/verifier.cpp refuses a growth over 250 ms (docs/server.md).
Usage: python3 server/pace.py REPLAY..."""
import sys
for f in sys.argv[1:]:
    ev=[]
    for l in open(f, encoding='latin-1'):
        w=l.split()
        if w and w[0].isdigit(): ev.append((int(w[0]),int(w[1]),w[2],w[3:] ))
    fast=False; t0=0; lo=None; worst=0; out=[]
    for t,c,k,a in ev:
        hz=480 if fast else 60
        if t>t0:
            lead=c-t*1000/hz
            lo = lead if lo is None else min(lo,lead)
            worst=max(worst,lead-lo)
        if (k=='key' and a[0]=='116' and not fast) or (k=='keyup' and a[0]=='116' and fast) or (k=='menu' and a[0]=='7'):
            out.append((hz, t-t0, round(worst)))
            if k!='menu': fast = not fast
            t0=t; lo=None; worst=0
    out.append((480 if fast else 60, ev[-1][0]-t0, round(worst)))
    print(f, "stretches (rate, frames, largest growth ms):", out)
