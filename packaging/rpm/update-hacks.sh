if [ -x /usr/sbin/update-xscreensaver-hacks ]; then
    /usr/sbin/update-xscreensaver-hacks || :
fi
