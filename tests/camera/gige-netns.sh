#!/bin/sh
# Runs one case of the GigE address repair on real sockets, inside network namespaces made here and
# nowhere else:
#
#   test namespace:    lo, app0 192.0.2.1/24            <- the test program
#         | veth pair
#   camera namespace:  cam0 (the scenario's address)    <- gige-camera-sim
#
# Both namespaces vanish with their processes; nothing of the machine is changed. Exit 77 (skip) when
# no namespace can be made here.
#
#   gige-netns.sh SCENARIO TEST_PROGRAM CAMERA_SIM
#   SCENARIO: loopback | wrong-subnet | right-subnet | in-use
set -u
scenario=$1
test_program=$2
camera_sim=$3

if [ "${GIGE_NETNS_INSIDE:-}" != 1 ]; then
    host_ns=$(stat -L -c %i /proc/self/ns/net) || { echo "SKIP: network namespace unknown"; exit 77; }
    if ! unshare --net true 2>/dev/null; then
        echo "SKIP: cannot make a network namespace here (unshare --net needs CAP_SYS_ADMIN)"
        exit 77
    fi
    MONITOR_HOST_NETNS=$host_ns GIGE_NETNS_INSIDE=1 exec unshare --net --fork -- sh "$0" "$@"
fi

# From here on: inside the test's own namespace, or nothing at all.
own_ns=$(stat -L -c %i /proc/self/ns/net)
if [ -z "${MONITOR_HOST_NETNS:-}" ] || [ "$own_ns" = "$MONITOR_HOST_NETNS" ]; then
    echo "refusing: not inside a new network namespace"
    exit 1
fi
export MONITOR_HOST_NETNS

work=$(mktemp -d)
camera_pid=
cleanup() {
    if [ -n "$camera_pid" ]; then
        kill "$camera_pid" 2>/dev/null
        wait "$camera_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

ip link set lo up || exit 1
# The cameras answer from other subnets: no reverse-path filter in this namespace.
echo 0 > /proc/sys/net/ipv4/conf/all/rp_filter
echo 0 > /proc/sys/net/ipv4/conf/default/rp_filter

busy=
case $scenario in
    loopback)
        "$test_program" onlyLoopback
        status=$?
        exit $status
        ;;
    wrong-subnet) camera=198.51.100.7/24; cases=wrongSubnetCameraMoved ;;
    right-subnet) camera=192.0.2.50/24; cases="rightSubnetCameraUntouched forceIpExchange" ;;
    in-use) camera=198.51.100.7/24; busy=192.0.2.77; cases=inUseCandidatePassedOver ;;
    *) echo "unknown scenario $scenario"; exit 1 ;;
esac

ip link add app0 type veth peer name cam0 || exit 1
ip addr add 192.0.2.1/24 dev app0 || exit 1
echo 0 > /proc/sys/net/ipv4/conf/app0/rp_filter
ip link set app0 up || exit 1

set -- --iface cam0 --address "$camera" --ready "$work/ready" --lifetime 120
[ -n "$busy" ] && set -- "$@" --busy "$busy"
unshare --net -- "$camera_sim" "$@" &
camera_pid=$!
# Once the camera process has its own namespace, cam0 moves there.
tries=0
while [ "$(stat -L -c %i /proc/$camera_pid/ns/net 2>/dev/null)" = "$own_ns" ]; do
    tries=$((tries + 1))
    [ $tries -gt 500 ] && { echo "camera namespace not made"; exit 1; }
    sleep 0.01
done
ip link set cam0 netns "$camera_pid" || exit 1
tries=0
until [ -f "$work/ready" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 1000 ] || ! kill -0 "$camera_pid" 2>/dev/null; then
        echo "camera simulator did not start"
        exit 1
    fi
    sleep 0.01
done

# shellcheck disable=SC2086
"$test_program" $cases
status=$?
exit $status
