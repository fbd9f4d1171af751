# The growth rows of a benchmark run as one chart: the per-page cost against the
# number of URL scripts installed, and the band shown (with its baseline, the bare form
# filled from a listing) against the number of scripts, up to 10,000.
# gnuplot -e "data='bench-growth.dat'; chart='bench-growth.png'; build='x86'" growth.gp
if (!exists("build")) build = ""
set terminal pngcairo size 1100,460 font ",10"
set output chart
set multiplot layout 1,2 title sprintf("How Pelmora's costs grow with the scripts installed (%s build)", build)
set logscale x
set xrange [0.7:15000]
set xtics ("1" 1, "10" 10, "100" 100, "1,000" 1000, "10,000" 10000)
set grid
set xlabel "scripts installed"

set title "Per-page cost (one completed document)"
set ylabel "microseconds"
set yrange [0:*]
set key bottom right Left reverse
plot data index 0 using 1:2 with linespoints lw 2 pt 7 title "Pelmora"

# Both axes logarithmic: the small sizes stay readable, and growth in proportion to the
# scripts is a line of slope one.
set title "Band shown (SetSite + ShowDW), main and URL scripts each"
set ylabel "milliseconds (logarithmic)"
set logscale y
set yrange [*:*]
set xrange [7:15000]
set key top left Left reverse
plot data index 1 using 1:($2/1000) with linespoints lw 2 pt 7 title "Pelmora", \
     data index 1 using 1:($3/1000) with linespoints lw 2 pt 5 dt 2 title "baseline: the bare form filled from a listing"
unset multiplot
