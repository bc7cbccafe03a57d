// Reads cases from standard input and prints the JDK's GregorianCalendar answer for each, one line
// per case. Every case names its zone by the eleven arguments of SimpleTimeZone's rule constructor
// (raw offset, start month, day, day of week, time, end month, day, day of week, time, saving);
// a start day of 0 means no daylight time. Years are astronomical (1 BC is 0).
//   f ZONE... T              the fields of instant T: year month day dayOfWeek hour minute second
//                            millisecond amPm dstOffset
//   t ZONE... Y M D H MI S MS  the instant of those (lenient) fields
import java.io.BufferedReader;
import java.io.InputStreamReader;
import java.util.Calendar;
import java.util.GregorianCalendar;
import java.util.SimpleTimeZone;

public class CalendarOracle {
    static int i(String v) { return Integer.parseInt(v); }

    static GregorianCalendar calendar(String[] t) {
        SimpleTimeZone zone = new SimpleTimeZone(i(t[1]), "Z", i(t[2]), i(t[3]), i(t[4]), i(t[5]), i(t[6]), i(t[7]),
                                                 i(t[8]), i(t[9]), i(t[10]));
        return new GregorianCalendar(zone);
    }

    static String fields(String[] t) {
        GregorianCalendar c = calendar(t);
        c.setTimeInMillis(Long.parseLong(t[11]));
        int year = c.get(Calendar.ERA) == GregorianCalendar.BC ? 1 - c.get(Calendar.YEAR) : c.get(Calendar.YEAR);
        int[] fields = {Calendar.MONTH, Calendar.DAY_OF_MONTH, Calendar.DAY_OF_WEEK, Calendar.HOUR_OF_DAY,
                        Calendar.MINUTE, Calendar.SECOND, Calendar.MILLISECOND, Calendar.AM_PM, Calendar.DST_OFFSET};
        StringBuilder b = new StringBuilder().append(year);
        for (int f : fields) b.append(' ').append(c.get(f));
        return b.toString();
    }

    static String time(String[] t) {
        GregorianCalendar c = calendar(t);
        c.clear();
        int year = i(t[11]);
        c.set(Calendar.ERA, year <= 0 ? GregorianCalendar.BC : GregorianCalendar.AD);
        c.set(Calendar.YEAR, year <= 0 ? 1 - year : year);
        c.set(Calendar.MONTH, i(t[12]));
        c.set(Calendar.DAY_OF_MONTH, i(t[13]));
        c.set(Calendar.HOUR_OF_DAY, i(t[14]));
        c.set(Calendar.MINUTE, i(t[15]));
        c.set(Calendar.SECOND, i(t[16]));
        c.set(Calendar.MILLISECOND, i(t[17]));
        return Long.toString(c.getTimeInMillis());
    }

    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null;) {
            String[] t = line.split(" ");
            out.append(t[0].equals("f") ? fields(t) : time(t)).append('\n');
        }
        System.out.print(out);
    }
}
